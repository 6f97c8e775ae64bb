// The imports of web_imports.h: each hands its call to the page object the page gave the module
// (Module.page, page/platform.js), turning UTF-8 pointers into strings and back.
mergeInto(LibraryManager.library, {
  pageWindowMove: function (w, h) { Module.page.windowMove(w, h); },
  pageWindowWidth: function () { return Module.page.windowWidth(); },
  pageWindowHeight: function () { return Module.page.windowHeight(); },
  pageScreenWidth: function () { return Module.page.screenWidth(); },
  pageScreenHeight: function () { return Module.page.screenHeight(); },
  pageMenuBarHeight: function () { return Module.page.menuBarHeight(); },
  pageInvalidate: function () { Module.page.invalidate(); },
  pageMenuCheck: function (id, checked) { Module.page.menuCheck(id, checked !== 0); },
  pageMenuSetItem: function (id, text, grayed) { Module.page.menuSetItem(id, UTF8ToString(text), grayed !== 0); },
  pageMenuAppendDevice: function (id, text) { Module.page.menuAppendDevice(id, UTF8ToString(text)); },
  pageMenuRemoveDevices: function () { Module.page.menuRemoveDevices(); },
  pageBeep: function (error) { Module.page.beep(error !== 0); },
  pageMessageBox: function (text, style) { Module.page.messageBox(UTF8ToString(text), style); },
  pageMouseCapture: function () { Module.page.mouseCapture(); },
  pageMouseRelease: function () { Module.page.mouseRelease(); },

  pageFontCreate: function (height, width, weight) { return Module.page.fontCreate(height, width, weight); },
  pageFontDelete: function (font) { Module.page.fontDelete(font); },
  pageTextExtent: function (font, text, size) {
    var extent = Module.page.textExtent(font, UTF8ToString(text));
    HEAP32[size >> 2] = extent[0];
    HEAP32[(size >> 2) + 1] = extent[1];
  },
  pageFill: function (l, t, r, b, white) { Module.page.fill(l, t, r, b, white); },
  pageText: function (font, text, l, t, r, b, whiteText, whiteBack) {
    Module.page.text(font, UTF8ToString(text), l, t, r, b, whiteText !== 0, whiteBack !== 0);
  },

  pageBarCreate: function (bar, vertical) { Module.page.barCreate(bar, vertical !== 0); },
  pageBarRange: function (bar, min, max) { Module.page.barRange(bar, min, max); },
  pageBarPosition: function (bar, pos) { Module.page.barPosition(bar, pos); },
  pageBarTip: function (bar, text) { Module.page.barTip(bar, UTF8ToString(text)); },
  pageBarShow: function (bar, visible) { Module.page.barShow(bar, visible !== 0); },
  pageBarMove: function (bar, x, y, w, h) { Module.page.barMove(bar, x, y, w, h); },
  pageFocusKeyboard: function () { Module.page.focusKeyboard(); },

  pageMidiCount: function () { return Module.page.midiCount(); },
  pageMidiName: function (id, name, capacity) {
    var text = Module.page.midiName(id);
    if (text === null) return 0;
    stringToUTF8(text, name, capacity);
    return 1;
  },
  pageMidiOpen: function (id) { return Module.page.midiOpen(id); },
  pageMidiDeviceId: function (handle) { return Module.page.midiDeviceId(handle); },
  pageMidiSend: function (handle, word) { Module.page.midiSend(handle, word >>> 0); },
  pageMidiClose: function (handle) { Module.page.midiClose(handle); },

  pageOpenGuide: function (section) { Module.page.openGuide(UTF8ToString(section)); },
  pageOpenUrl: function (url) { Module.page.openUrl(UTF8ToString(url)); },

  pagePath: function (buffer, capacity) {
    return stringToUTF8(Module.page.path(), buffer, capacity);
  },
  pageStorageRead: function (key, buffer, capacity) {
    var bytes = Module.page.storageRead(UTF8ToString(key));
    if (bytes === null) return 0;
    var n = Math.min(bytes.length, capacity);
    HEAPU8.set(bytes.subarray(0, n), buffer);
    return n;
  },
  pageStorageWrite: function (key, bytes, size) {
    return Module.page.storageWrite(UTF8ToString(key), HEAPU8.slice(bytes, bytes + size)) ? 1 : 0;
  },
});
