// The page end to end in a headless Chromium: the desktop programs' black-box cases where they
// apply, as rows of a table, and the page's own (menus, bars, focus, storage, Web MIDI, the
// synthesizer). Run by CTest from the page's build: node --test tests/web/page.test.mjs
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { after, before, describe, test } from 'node:test';
import { PageSession, hex, launchBrowser, servePage } from './page_driver.mjs';

const pageFolder = process.env.PLINKETT_PAGE ?? 'build/web/page';
const artifacts = process.env.PLINKETT_ARTIFACTS ?? 'build/web/artifacts';
mkdirSync(artifacts, { recursive: true });

// The 64 bytes of a settings file, written here field by field from the file's layout.
function settingsFile({ device = 1, openAtStart = 1, channel = 0, velocity = 100, bars = 0, zoom = 2.0 } = {}) {
  const b = Buffer.alloc(64);
  b.writeUInt32LE(0x12993315, 0);
  b.writeInt32LE(bars, 8);
  b.writeFloatLE(zoom, 12);
  [100, 100, 500, 300].forEach((v, i) => b.writeInt32LE(v, 16 + 4 * i));
  b.writeInt32LE(device, 36);
  b.writeInt32LE(openAtStart, 40);
  b.writeInt32LE(channel, 44);
  b.writeInt32LE(velocity, 52);
  return b;
}

// Settings as an earlier visit left them: the recording output chosen and open.
function recordingOutput(fields = {}) {
  return {
    'plinkett:/PLINKETT.SET': settingsFile(fields).toString('base64'),
    'plinkett:/PLINKETT.DEV': Buffer.from('1\nRecording MIDI\n').toString('base64'),
  };
}

let browser;
let origin;
let server;
before(async () => {
  browser = await launchBrowser();
  ({ server, origin } = await servePage(pageFolder));
});
after(async () => {
  await browser?.close();
  server?.close();
});

async function session(options = {}) {
  const s = new PageSession(browser, origin);
  await s.start({ settings: recordingOutput(), ...options });
  return s;
}

async function withSession(options, body) {
  const s = await session(options);
  try {
    await body(s);
    assert.deepEqual(s.errors, [], 'no script error in the page');
  } finally {
    await s.close();
  }
}

const allChannels = (...controllers) =>
  Array.from({ length: 16 }, (_, c) => controllers.map((n) => `B${c.toString(16).toUpperCase()} ${n} 00`)).flat();

// Keys by physical code, then the words the recording output must have heard, in order.
const keyCases = [
  ['Q plays G3 and ends it', [['tap', 'KeyQ']], ['90 37 64', '80 37 40']],
  ['a held key is one note-on however long it repeats',
    [['down', 'KeyQ'], ...Array(5).fill(['repeat', 'KeyQ']), ['up', 'KeyQ']], ['90 37 64', '80 37 40']],
  ['Shift plays an octave up', [['down', 'ShiftLeft'], ['tap', 'KeyQ'], ['up', 'ShiftLeft']], ['90 43 64', '80 43 40']],
  ['Ctrl plays an octave down', [['down', 'ControlLeft'], ['tap', 'KeyQ'], ['up', 'ControlLeft']], ['90 2B 64', '80 2B 40']],
  ['a key let go with Alt held ends its note',
    [['down', 'KeyQ'], ['down', 'AltLeft'], ['up', 'KeyQ'], ['up', 'AltLeft']], ['90 37 64', '80 37 40']],
  ['Space is the sustain pedal', [['tap', 'Space']], ['B0 40 7F', 'B0 40 00']],
  ['Enter ends the held notes once', [['down', 'KeyQ'], ['tap', 'Enter'], ['tap', 'NumpadEnter'], ['up', 'KeyQ']],
    ['90 37 64', '80 37 40']],
  ["Esc resets the sixteen channels, 121 before 123", [['tap', 'Escape']], allChannels('79', '7B')],
  ['Up transposes an octave up', [['tap', 'ArrowUp'], ['tap', 'KeyQ']], ['90 43 64', '80 43 40']],
  ['Up stops at two octaves', [['tap', 'ArrowUp'], ['tap', 'ArrowUp'], ['tap', 'ArrowUp'], ['tap', 'KeyQ']],
    ['90 4F 64', '80 4F 40']],
  ['Down stops at two octaves', [['tap', 'ArrowDown'], ['tap', 'ArrowDown'], ['tap', 'ArrowDown'], ['tap', 'KeyQ']],
    ['90 1F 64', '80 1F 40']],
  ['keypad plus raises the velocity by 8', [['tap', 'NumpadAdd'], ['tap', 'KeyQ']], ['90 37 6C', '80 37 40']],
  ['keypad plus stops at 127', [...Array(4).fill(['tap', 'NumpadAdd']), ['tap', 'KeyQ']], ['90 37 7F', '80 37 40']],
  ['keypad minus stops at 1', [...Array(13).fill(['tap', 'NumpadSubtract']), ['tap', 'KeyQ']], ['90 37 01', '80 37 40']],
  ['a note held while F10 gives the menu the keyboard ends then, once',
    [['down', 'KeyQ'], ['tap', 'F10'], ['up', 'KeyQ'], ['tap', 'Escape']], ['90 37 64', '80 37 40']],
  ['a note held while Alt+M opens a menu ends then, once',
    [['down', 'KeyQ'], ['down', 'AltLeft'], ['tap', 'KeyM'], ['up', 'AltLeft'], ['up', 'KeyQ']], ['90 37 64', '80 37 40']],
];

async function play(s, steps) {
  for (const [what, code] of steps) {
    if (what === 'tap') await s.tap(code);
    else if (what === 'down') await s.down(code);
    else if (what === 'repeat') await s.down(code, { repeat: true });
    else await s.up(code);
  }
}

describe('keys', () => {
  for (const [name, steps, expected] of keyCases) {
    test(name, () => withSession({}, async (s) => {
      assert.deepEqual(await s.waitWords(1), ['C0 00'], 'the opening program change');
      await s.mark();
      await play(s, steps);
      assert.deepEqual(await s.waitWords(expected.length), expected);
    }));
  }
});
