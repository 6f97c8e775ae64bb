// The page object the WebAssembly module calls (web_library.js): the main window's box, the
// keyboard's canvas, the menu bar, the bars, the dialogs, MIDI and storage. The program's pixels
// are the page's CSS pixels, so the window has the size it has on the desktop at any scale; the
// canvas holds device pixels, and every edge the program draws is put on a whole device pixel and
// its text is drawn at the device's resolution, so the keys are sharp at any device pixel ratio.
import { createBar } from './bars.js';
import { storageRead, storageWrite } from './storage.js';

const kBackground = '#f0f0f0';
// The interface font of the menus and the dialogs; "M" in it, unscaled, is the cell the key fonts
// are made from.
const kInterfaceSize = 12;
const kInterfaceFont = `${kInterfaceSize}px sans-serif`;
const kFontFamily = 'sans-serif';
// A font's average character width is taken over the small letters and the space, as a face's
// own figure was first defined.
const kAverageSample = 'abcdefghijklmnopqrstuvwxyz ';

export function createPage({ windowBox, menuBarEl, client, canvas, midi, dialogs, say }) {
  const ctx = canvas.getContext('2d', { alpha: false });
  const fonts = new Map();  // id -> { css, bold, size, stretch, ascent, height }, in CSS pixels
  let nextFont = 1;
  let scale = window.devicePixelRatio || 1;
  let core = null;          // the module's exported entry points, once it is running
  let menu = null;
  let destroyed = false;
  let paintQueued = false;
  let reported = { w: -1, h: -1 };  // the client size the core last heard of
  let capturePointer = null;
  const bars = [];

  function cellOf(css) {
    ctx.font = css;
    const m = ctx.measureText('M');
    return { ascent: m.fontBoundingBoxAscent, height: m.fontBoundingBoxAscent + m.fontBoundingBoxDescent };
  }

  // The client area's size in CSS pixels for the program (told once), its canvas in device pixels.
  function applySize(w, h) {
    if (destroyed) return;
    const [deviceW, deviceH] = [Math.round(w * scale), Math.round(h * scale)];
    const resized = canvas.width !== Math.max(deviceW, 1) || canvas.height !== Math.max(deviceH, 1);
    if (resized) {
      canvas.width = Math.max(deviceW, 1);
      canvas.height = Math.max(deviceH, 1);
    }
    if (w !== reported.w || h !== reported.h) {
      reported = { w, h };
      core?.webSize(w, h);
    } else if (!resized) {
      return;
    }
    paint();
  }

  const device = (v) => Math.round(v * scale);

  function paint() {
    paintQueued = false;
    if (core && !destroyed) core.webPaint();
  }

  const page = {
    attach(exports, menuBar) { core = exports; menu = menuBar; },
    rescale(newScale) {
      scale = newScale;
      applySize(reported.w, reported.h);
    },
    clientResized(w, h) { applySize(w, h); },
    ended: () => destroyed,
    end() {
      if (destroyed) return;
      core?.webEnd();
      destroyed = true;
    },

    // ---- The window ---------------------------------------------------------------------
    windowMove(w, h) {
      if (destroyed) return;
      const menuHeight = page.menuBarHeight();
      windowBox.style.width = `${w}px`;
      windowBox.style.height = `${h}px`;
      // Reported at once, as a window system reports a move it was asked for; the resize
      // observer then finds the size already known.
      applySize(Math.max(0, w), Math.max(0, h - menuHeight));
    },
    windowWidth: () => Math.round(windowBox.getBoundingClientRect().width),
    windowHeight: () => Math.round(windowBox.getBoundingClientRect().height),
    screenWidth: () => window.screen.availWidth,
    screenHeight: () => window.screen.availHeight,
    menuBarHeight: () => Math.round(menuBarEl.getBoundingClientRect().height),
    invalidate() {
      if (paintQueued || destroyed) return;
      paintQueued = true;
      requestAnimationFrame(paint);
    },
    menuCheck: (id, checked) => menu.check(id, checked),
    menuSetItem: (id, text, grayed) => menu.setItem(id, text, grayed),
    menuAppendDevice: (id, text) => menu.appendDevice(id, text),
    menuRemoveDevices: () => menu.removeDevices(),
    beep() {},
    messageBox: (text, style) => dialogs.show(text, style),
    trackPointer(pointerId) { capturePointer = pointerId; },
    mouseCapture() {
      if (capturePointer !== null && !canvas.hasPointerCapture(capturePointer)) {
        try { canvas.setPointerCapture(capturePointer); } catch { /* the pointer is already up */ }
      }
    },
    mouseRelease() {
      if (capturePointer !== null && canvas.hasPointerCapture(capturePointer)) canvas.releasePointerCapture(capturePointer);
    },

    // ---- Drawing --------------------------------------------------------------------------
    // A font of the given cell height and average character width, as the desktop's font mapper
    // makes one: the size is chosen so that ascent plus descent fill the cell, and the face is
    // stretched across to the width asked for (within half and twice its own).
    fontCreate(height, width, weight) {
      const bold = weight >= 600 ? 'bold ' : '';
      const probe = cellOf(`${bold}100px ${kFontFamily}`);
      const size = (Math.max(1, height) * 100) / probe.height;
      const css = `${bold}${size.toFixed(2)}px ${kFontFamily}`;
      const cell = cellOf(css);
      ctx.font = css;
      const average = ctx.measureText(kAverageSample).width / kAverageSample.length;
      const stretch = width > 0 && average > 0 ? Math.min(Math.max(width / average, 0.5), 2) : 1;
      const id = nextFont++;
      fonts.set(id, { css, bold, size, stretch, ascent: cell.ascent, height: Math.round(cell.height) });
      return id;
    },
    fontDelete: (id) => fonts.delete(id),
    textExtent(font, text) {
      const f = fonts.get(font);
      if (!f) {
        const cell = cellOf(kInterfaceFont);
        ctx.font = kInterfaceFont;
        return [Math.round(ctx.measureText(text).width), Math.round(cell.height)];
      }
      ctx.font = f.css;
      return [Math.round(ctx.measureText(text).width * f.stretch), f.height];
    },
    fill(l, t, r, b, white) {
      if (white < 0) {
        ctx.fillStyle = kBackground;
        ctx.fillRect(0, 0, canvas.width, canvas.height);
        return;
      }
      if (r <= l || b <= t) return;
      ctx.fillStyle = white ? '#fff' : '#000';
      ctx.fillRect(device(l), device(t), device(r) - device(l), device(b) - device(t));
    },
    // One line centred both ways, on an opaque box of the background colour behind the text.
    text(font, text, l, t, r, b, whiteText, whiteBack) {
      if (text === '' || r <= l || b <= t) return;
      const f = fonts.get(font) ?? { css: kInterfaceFont, bold: '', size: kInterfaceSize, stretch: 1, ...cellOf(kInterfaceFont) };
      ctx.font = f.css;
      const width = Math.round(ctx.measureText(text).width * f.stretch);
      const x = Math.trunc((l + r - width) / 2);
      const y = Math.trunc((t + b - f.height) / 2);
      ctx.save();
      ctx.beginPath();
      ctx.rect(device(l), device(t), device(r) - device(l), device(b) - device(t));
      ctx.clip();
      ctx.fillStyle = whiteBack ? '#fff' : '#000';
      ctx.fillRect(device(x), device(y), device(x + width) - device(x), device(y + f.height) - device(y));
      ctx.fillStyle = whiteText ? '#fff' : '#000';
      ctx.textBaseline = 'alphabetic';
      ctx.font = `${f.bold}${(f.size * scale).toFixed(2)}px ${kFontFamily}`;
      ctx.translate(device(x), device(y + f.ascent));
      ctx.scale(f.stretch, 1);
      ctx.fillText(text, 0, 0);
      ctx.restore();
    },

    // ---- The bars ---------------------------------------------------------------------------
    barCreate(id, vertical) {
      bars[id] = createBar(client, vertical, (request, position) => core?.webScroll(id, request, position));
    },
    barRange: (id, min, max) => bars[id]?.setRange(min, max),
    barPosition: (id, pos) => bars[id]?.setPosition(pos),
    barTip: (id, text) => bars[id]?.setTip(text),
    barShow: (id, visible) => bars[id]?.show(visible),
    barMove: (id, x, y, w, h) => bars[id]?.move(x, y, w, h),
    bar: (id) => bars[id],
    focusKeyboard() {
      if (!destroyed && !menu.isActive() && !dialogs.isOpen()) canvas.focus({ preventScroll: true });
    },

    // ---- MIDI ---------------------------------------------------------------------------------
    midiCount: () => midi.count(),
    midiName: (id) => midi.name(id),
    midiOpen: (id) => midi.open(id),
    midiDeviceId: (handle) => midi.deviceId(handle),
    midiSend: (handle, word) => midi.send(handle, word),
    midiClose: (handle) => midi.close(handle),

    // ---- The guide, the web, storage ----------------------------------------------------
    openGuide(section) {
      const where = new URL(`guide/index.html${section ? `#${section}` : ''}`, document.baseURI);
      if (!window.open(where, '_blank', 'noopener')) say(`The user's guide is at ${where.href}`);
    },
    openUrl(url) { window.open(url, '_blank', 'noopener'); },
    // The page's path stands for the program's: the settings are kept per page.
    path() {
      const p = window.location.pathname;
      return p.endsWith('/') ? `${p}index.html` : p;
    },
    storageRead,
    storageWrite,
  };
  return page;
}
