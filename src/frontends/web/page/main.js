// The page's start: the program's module, the menu bar from its table, Web MIDI, the events of
// the page turned into the program's calls (one small function per kind), and the end.
import createPlinkett from './plinkett.js';
import { createDialogs } from './dialog.js';
import { keepFromBrowser, keyMessage } from './keys.js';
import { createMenuBar } from './menu.js';
import { createMidi, kSynthName, kMapperName } from './midi.js';
import { createPage } from './platform.js';
import { rememberedDeviceName } from './storage.js';
import { createSynth } from './synth.js';

// How long the start waits for Web MIDI when the remembered device is one of its outputs (a
// permission prompt the player has not answered yet ends the wait; the Devices menu follows later).
const kMidiWaitMs = 3000;

const $ = (id) => document.getElementById(id);
const windowBox = $('window');
const menuBarEl = $('menubar');
const client = $('client');
const canvas = $('keyboard');
const statusLine = $('status');

// The page says why once, in one line, when something the player may look for is missing.
let said = false;
function say(text) {
  if (said) return;
  said = true;
  statusLine.textContent = text;
  statusLine.hidden = false;
}

const synth = createSynth({ say });
let core = null;
let started = false;  // the program's start has listed the devices: changes are followed from then on
const midi = createMidi({ synth, changed: () => { if (started && !page.ended()) core.webDevicesChanged(); } });
const dialogs = createDialogs($('box'), document.title, () => page.focusKeyboard());
const page = createPage({ windowBox, menuBarEl, client, canvas, midi, dialogs, say });

// ---- Web MIDI --------------------------------------------------------------------------------

function midiAccess() {
  if (!window.isSecureContext) {
    say('MIDI devices need a secure page (https or localhost); the built-in synthesizer plays.');
    return null;
  }
  if (!navigator.requestMIDIAccess) {
    say('This browser has no Web MIDI; the built-in synthesizer plays.');
    return null;
  }
  return navigator.requestMIDIAccess({ sysex: false }).then(
    (access) => access,
    () => {
      say('Access to MIDI devices was refused; the built-in synthesizer plays.');
      return null;
    },
  );
}

// ---- The events of the page, each one call of the program ------------------------------------

const down = new Set();  // physical keys down, to tell a press again from a first press

function onKey(event, release) {
  if (page.ended()) return;
  synth.wake();
  if (event.code === 'F10') return;  // the menu's key, as on the desktop
  if (!release && event.altKey && event.code.startsWith('Key')) {
    if (menu.openByKey(event.code.slice(3).toLowerCase())) event.preventDefault();
    return;
  }
  const message = keyMessage(event, release, !release && down.has(event.code));
  if (release) down.delete(event.code);
  else down.add(event.code);
  if (keepFromBrowser(event)) event.preventDefault();
  if (!message) return;
  core.webKey(message.release ? 1 : 0, message.virtualKey, message.scan, message.repeat ? 1 : 0,
    message.shift ? 1 : 0, message.ctrl ? 1 : 0);
}

function pointerPosition(event) {
  const r = canvas.getBoundingClientRect();
  return [Math.floor(event.clientX - r.left), Math.floor(event.clientY - r.top)];
}

function onMouse(event, release) {
  if (event.button !== 0 || page.ended()) return;
  synth.wake();
  if (!release) {
    canvas.focus({ preventScroll: true });
    page.trackPointer(event.pointerId);
  }
  const [x, y] = pointerPosition(event);
  core.webMouse(release ? 1 : 0, x, y, event.shiftKey ? 1 : 0, event.ctrlKey ? 1 : 0);
}

// The keyboard lost the focus to anything but its own menu: notes the player can no longer let
// go of end now.
function onFocusLeft(event) {
  down.clear();
  if (page.ended() || menuBarEl.contains(event.relatedTarget)) return;
  core.webFocusLost();
}

let menu = null;

// The page zoomed, or moved to a monitor of another scale: the canvas takes the new resolution.
function watchScale() {
  const query = window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`);
  query.addEventListener('change', () => {
    page.rescale(window.devicePixelRatio || 1);
    watchScale();
  }, { once: true });
}

function watchClientSize() {
  new ResizeObserver((entries) => {
    const { width, height } = entries[entries.length - 1].contentRect;
    page.clientResized(Math.round(width), Math.round(height));
  }).observe(client);
}

function menuRows(exports) {
  const rows = [];
  for (let i = 0, n = exports.webMenuRows(); i < n; ++i) {
    rows.push({
      depth: exports.webMenuDepth(i),
      kind: exports.webMenuKind(i),
      id: exports.webMenuId(i),
      text: exports.webMenuKind(i) === 2 ? null : module.UTF8ToString(exports.webMenuText(i)),
      checked: exports.webMenuChecked(i) !== 0,
      devicesPopup: exports.webMenuIsDevices(i) !== 0,
    });
  }
  return rows;
}

let module = null;

async function start() {
  const access = midiAccess();
  const remembered = rememberedDeviceName(page.path().replace(/[^/]*$/, ''));
  const wantsOutput = remembered !== '' && remembered !== kSynthName && remembered !== kMapperName;
  module = await createPlinkett({ page });
  core = {};
  for (const name of Object.keys(module)) {
    if (name.startsWith('_web')) core[name.slice(1)] = module[name];
  }
  menu = createMenuBar(menuBarEl, menuRows(core), {
    command: (id) => core.webCommand(id),
    devicesOpening: () => core.webDevicesChanged(),
    takesKeyboard: () => core.webMenuTakesKeyboard(),
    closed: () => page.focusKeyboard(),
  });
  menu.gray(core.webExitCommand());
  menu.gray(core.webTopmostCommand());
  page.attach(core, menu);

  // The saved device may be a Web MIDI output: its list is waited for, a while.
  if (access && wantsOutput) {
    const got = await Promise.race([access, new Promise((r) => setTimeout(() => r(null), kMidiWaitMs))]);
    if (got) midi.setAccess(got);
  }
  if (core.webStart() === 0) return;
  started = true;
  windowBox.hidden = false;
  watchClientSize();
  watchScale();
  canvas.focus({ preventScroll: true });
  performance.mark('plinkett-keyboard-drawn');
  if (access) access.then((a) => { if (a && !page.ended()) midi.setAccess(a); });

  canvas.addEventListener('keydown', (e) => onKey(e, false));
  canvas.addEventListener('keyup', (e) => onKey(e, true));
  canvas.addEventListener('pointerdown', (e) => onMouse(e, false));
  canvas.addEventListener('pointerup', (e) => onMouse(e, true));
  canvas.addEventListener('lostpointercapture', () => core.webCaptureLost());
  canvas.addEventListener('blur', onFocusLeft);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden' && !page.ended()) core.webFocusLost();
  });
  // F10 and Alt alone give the menu the keyboard, as on the desktop.
  canvas.addEventListener('keyup', (e) => {
    if (e.key === 'Alt' && lastKeyWasAlt) menu.openByKey('');
  });
  let lastKeyWasAlt = false;
  canvas.addEventListener('keydown', (e) => {
    lastKeyWasAlt = e.key === 'Alt';
    if (e.code === 'F10') {
      e.preventDefault();
      menu.openByKey('');
    }
  }, true);
  window.addEventListener('pagehide', () => page.end());
  window.addEventListener('pageshow', (e) => { if (e.persisted) window.location.reload(); });
  // For the tests and the benchmark, which look at the page from outside.
  window.plinkett = { page, midi, synth, menu, core };
}

start();
