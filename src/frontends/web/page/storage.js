// The page's "files": entries of its local storage, named by path, holding the bytes in base64.
// A browser that refuses the page its storage (a privacy setting, a full quota) leaves the
// program to play with its defaults and keep nothing.
const kPrefix = 'plinkett:';

export function storageRead(path) {
  try {
    const text = window.localStorage.getItem(kPrefix + path);
    if (text === null) return null;
    return Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
  } catch {
    return null;
  }
}

export function storageWrite(path, bytes) {
  try {
    window.localStorage.setItem(kPrefix + path, btoa(String.fromCharCode(...bytes)));
    return true;
  } catch {
    return false;
  }
}
