// The page's start: the program's module, the menu bar from its table, Web MIDI, the events of
// the page turned into the program's calls (one small function per kind), and the end.
import createPlinkett from './plinkett.js';
import { createDialogs } from './dialog.js';
import { keepFromBrowser, keyMessage } from './keys.js';
import { createMenuBar } from './menu.js';
import { createMidi, kSynthName, kMapperName } from './midi.js';
import { createPage } from './platform.js';
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
const dialogs = createDialogs($('box'), () => page.focusKeyboard());
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
  // An access letter is the letter the key types in the player's layout, as on the desktop.
  if (!release && event.altKey && event.key.length === 1) {
    if (menu.openByKey(event.key.toLowerCase())) event.preventDefault();
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
let module = null;

// F10, and Alt pressed and let go alone, give the menu bar the keyboard, as on the desktop.
let altAlone = false;
function onMenuKey(event, release) {
  if (!release && event.code === 'F10') {
    event.preventDefault();
    menu.openByKey('');
  } else if (release && event.key === 'Alt' && altAlone) {
    menu.openByKey('');
  }
  if (!release) altAlone = event.key === 'Alt';
}

// The page zoomed, or moved to a monitor of another scale: the canvas takes the new resolution.
function watchScale() {
  const query = window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`);
  query.addEventListener('change', () => {
    page.rescale(window.devicePixelRatio || 1);
    watchScale();
  }, { once: true });
}

// The client area's size: set by the program (zoom, default size) or by the player's dragging.
function watchClientSize() {
  new ResizeObserver((entries) => {
    const { width, height } = entries[entries.length - 1].contentRect;
    page.clientResized(Math.round(width), Math.round(height));
  }).observe(client);
}

function listen() {
  canvas.addEventListener('keydown', (e) => { onMenuKey(e, false); onKey(e, false); });
  canvas.addEventListener('keyup', (e) => { onKey(e, true); onMenuKey(e, true); });
  canvas.addEventListener('pointerdown', (e) => onMouse(e, false));
  canvas.addEventListener('pointerup', (e) => onMouse(e, true));
  canvas.addEventListener('lostpointercapture', () => core.webCaptureLost());
  canvas.addEventListener('blur', onFocusLeft);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden' && !page.ended()) core.webFocusLost();
  });
  window.addEventListener('pagehide', () => page.end());
  // A page brought back from the browser's cache has ended already: it starts again.
  window.addEventListener('pageshow', (e) => { if (e.persisted) window.location.reload(); });
  watchClientSize();
  watchScale();
}

// The menu table's rows, as events.h's MenuEntry has them (kind 2 is a separator, with no text).
function menuRows() {
  const rows = [];
  for (let i = 0, n = core.webMenuRows(); i < n; ++i) {
    const kind = core.webMenuKind(i);
    rows.push({
      depth: core.webMenuDepth(i),
      kind,
      id: core.webMenuId(i),
      text: kind === 2 ? null : module.UTF8ToString(core.webMenuText(i)),
      checked: core.webMenuChecked(i) !== 0,
      devicesPopup: core.webMenuIsDevices(i) !== 0,
    });
  }
  return rows;
}

// The start is going to open a Web MIDI output: the settings say it opens a device, and the one
// they remember is neither the mapper nor the built-in synthesizer (device 0, or its name).
function startOpensWebMidiOutput() {
  if (core.webStartDevice() === 0) return false;
  const id = core.webStartDeviceId();
  const name = module.UTF8ToString(core.webStartDeviceName());
  if (name === '') return id > 0;
  return name !== kSynthName && name !== kMapperName;
}

async function start() {
  const access = midiAccess();
  module = await createPlinkett({ page });
  core = {};
  for (const name of Object.keys(module)) {
    if (name.startsWith('_web')) core[name.slice(1)] = module[name];
  }
  const wantsOutput = startOpensWebMidiOutput();
  // The program's caption names the page and every box, as it names the desktop's windows.
  document.title = module.UTF8ToString(core.webCaption());
  dialogs.setCaption(document.title);
  menu = createMenuBar(menuBarEl, menuRows(), {
    command: (id) => core.webCommand(id),
    devicesOpening: () => core.webDevicesChanged(),
    takesKeyboard: () => core.webMenuTakesKeyboard(),
    closed: () => page.focusKeyboard(),
  });
  menu.gray(core.webExitCommand());
  menu.gray(core.webTopmostCommand());
  page.attach(core, menu);

  // The remembered device may be a Web MIDI output: its list is waited for, a while.
  if (access && wantsOutput) {
    const got = await Promise.race([access, new Promise((r) => setTimeout(() => r(null), kMidiWaitMs))]);
    if (got) midi.setAccess(got);
  }
  if (core.webStart() === 0) return;
  started = true;
  windowBox.hidden = false;
  canvas.focus({ preventScroll: true });
  performance.mark('plinkett-keyboard-drawn');
  if (access) access.then((a) => { if (a && !page.ended()) midi.setAccess(a); });
  listen();
  // For the tests and the benchmark, which look at the page from outside.
  window.plinkett = { synth };
}

start();
