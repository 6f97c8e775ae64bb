// Serves a folder over HTTP on the loopback address (a secure context for Web MIDI), the way any
// static web server would: files by path, the right types, nothing else.
//   node scripts/serve-web.mjs FOLDER [PORT]    (PORT 0 picks a free one; the address is printed)
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve } from 'node:path';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.svg': 'image/svg+xml',
  '.sf2': 'application/octet-stream', '.json': 'application/json',
};

export function serve(folder, port = 0, host = '127.0.0.1') {
  const root = resolve(folder);
  const server = createServer((req, res) => {
    let path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (path.endsWith('/')) path += 'index.html';
    const file = normalize(join(root, path));
    let size = -1;
    try {
      if (file.startsWith(root)) size = statSync(file).isFile() ? statSync(file).size : -1;
    } catch { /* no such file */ }
    if (size < 0) {
      res.writeHead(404, { 'content-type': 'text/plain' }).end('not found\n');
      return;
    }
    res.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream', 'content-length': size });
    createReadStream(file).pipe(res);
  });
  return new Promise((ready) => server.listen(port, host, () => ready(server)));
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const [folder, port] = [process.argv[2], Number(process.argv[3] ?? 8000)];
  const server = await serve(folder, port);
  console.log(`Plinkett is at http://localhost:${server.address().port}/`);
}
