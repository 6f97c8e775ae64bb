// The page end to end in a headless Chromium: the desktop programs' black-box cases where they
// apply, as rows of a table, and the page's own (menus, bars, focus, storage, Web MIDI, the
// synthesizer). Run by CTest from the page's build: node --test tests/web/page.test.mjs
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { after, before, describe, test } from 'node:test';
import { PageSession, launchBrowser, servePage } from './page_driver.mjs';

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

// Keys by physical code, then the words the recording output must have heard, in order: the
// page's own rows. The rows every target shares (Q, Shift, Space, Esc, Enter, the arrows, the
// keypad, Alt) run on the shared runner (e2e_web.py).
const keyCases = [
  ['a held key is one note-on however long it repeats',
    [['down', 'KeyQ'], ...Array(5).fill(['repeat', 'KeyQ']), ['up', 'KeyQ']], ['90 37 64', '80 37 40']],
  ['Ctrl plays an octave down', [['down', 'ControlLeft'], ['tap', 'KeyQ'], ['up', 'ControlLeft']], ['90 2B 64', '80 2B 40']],
  ['keypad Enter is Enter', [['down', 'KeyQ'], ['tap', 'NumpadEnter'], ['up', 'KeyQ']], ['90 37 64', '80 37 40']],
  ['Up stops at two octaves', [['tap', 'ArrowUp'], ['tap', 'ArrowUp'], ['tap', 'ArrowUp'], ['tap', 'KeyQ']],
    ['90 4F 64', '80 4F 40']],
  ['Down stops at two octaves', [['tap', 'ArrowDown'], ['tap', 'ArrowDown'], ['tap', 'ArrowDown'], ['tap', 'KeyQ']],
    ['90 1F 64', '80 1F 40']],
  ['keypad plus stops at 127', [...Array(4).fill(['tap', 'NumpadAdd']), ['tap', 'KeyQ']], ['90 37 7F', '80 37 40']],
  ['keypad minus stops at 1', [...Array(13).fill(['tap', 'NumpadSubtract']), ['tap', 'KeyQ']], ['90 37 01', '80 37 40']],
  ['a note held while F10 gives the menu the keyboard ends then, once',
    [['down', 'KeyQ'], ['tap', 'F10'], ['up', 'KeyQ'], ['tap', 'Escape']], ['90 37 64', '80 37 40']],
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

describe('menus', () => {
  test('the keyboard walks to Midi > Channel > 2, and notes go out on channel 2', () => withSession({}, async (s) => {
    await s.waitWords(1);
    await s.mark();
    await s.down('AltLeft');
    await s.tap('KeyM');
    await s.up('AltLeft');
    await s.tap('KeyC');
    await s.tap('Digit2');
    await s.tap('Enter');
    await s.tap('KeyQ');
    assert.deepEqual(await s.waitWords(3), ['C1 00', '91 37 64', '81 37 40']);
    assert.equal((await s.menuItem('2')).checked, true);
  }));

  test('the mouse chooses Midi > Program > Piano > El Gr Piano', () => withSession({}, async (s) => {
    await s.waitWords(1);
    await s.mark();
    await s.clickMenu('Midi', 'Program', 'Piano', 'El Gr Piano');
    assert.deepEqual(await s.waitWords(1), ['C0 02']);
  }));

  test('Big zooms the window to fit the keys, half as wide again as Normal', () => withSession({}, async (s) => {
    const width = () => s.page.$eval('#window', (el) => el.getBoundingClientRect().width);
    await s.clickMenu('Window', 'Default Size');
    const normal = await width();
    await s.clickMenu('Window', 'Zoom Keyboard', 'Big');
    assert.ok(Math.abs((await width()) - 1.5 * normal) <= 1, `${normal} then ${await width()}`);
  }));

  for (const [item, where] of [['Index', '/guide/index.html'], ['Using help', '/guide/index.html#using-this-guide']]) {
    test(`Help > ${item} opens the page's own guide in a new tab`, () => withSession({}, async (s) => {
      const opened = new Promise((r) => s.browser.once('targetcreated', r));
      await s.clickMenu('Help', item);
      const target = await opened;
      assert.equal(new URL(target.url()).pathname + new URL(target.url()).hash, where);
      assert.match(await (await target.page()).title(), /Plinkett/);
    }));
  }

  test('what a page cannot do is greyed, not hidden', () => withSession({}, async (s) => {
    assert.deepEqual(await s.menuItem('Exit'), { checked: false, grayed: true });
    assert.deepEqual(await s.menuItem('Always on Top'), { checked: false, grayed: true });
    assert.deepEqual(await s.menuItem('Default Size'), { checked: false, grayed: false });
  }));
});

describe('mouse', () => {
  test('the bars: an arrow steps the velocity, the pitch bend follows its thumb and springs back', () => withSession(
    { settings: recordingOutput({ bars: 1 }) }, async (s) => {
      await s.waitWords(1);
      await s.mark();
      const bar = (i) => s.page.evaluate((n) => {
        const el = document.querySelectorAll('.bar')[n];
        const rect = (e) => { const r = e.getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2, r.height]; };
        return { less: rect(el.querySelector('.less')), thumb: rect(el.querySelector('.thumb')), bar: rect(el) };
      }, i);
      const velocity = await bar(0);
      await s.page.mouse.click(velocity.less[0], velocity.less[1]);
      await s.tap('KeyQ');
      const pitch = await bar(2);
      await s.page.mouse.move(pitch.thumb[0], pitch.thumb[1]);
      await s.page.mouse.down();
      await s.page.mouse.move(pitch.thumb[0], pitch.thumb[1] - pitch.bar[2], { steps: 4 });
      await s.page.mouse.up();
      const words = await s.waitWords(4);
      assert.deepEqual(words.slice(0, 2), ['90 37 65', '80 37 40']);
      assert.equal(words.at(-2), 'E0 7F 7F', 'the thumb at the top bends all the way up');
      assert.equal(words.at(-1), 'E0 7F 3F', 'let go, it rests at 8191');
      await s.tap('KeyW');
      assert.equal((await s.newWords()).length, words.length + 2, 'the keyboard has the focus back');
    }));
});

describe('the page around the keyboard', () => {
  const focusLosses = [
    ['another tab comes to the front', async (s) => (await s.context.newPage()).bringToFront()],
    ['a click on the page beside the window', (s) => s.page.mouse.click(700, 400)],
  ];
  for (const [how, loseFocus] of focusLosses) {
    test(`the held note ends when ${how}`, () => withSession({}, async (s) => {
      await s.waitWords(1);
      await s.mark();
      await s.down('KeyQ');
      await loseFocus(s);
      assert.deepEqual(await s.waitWords(2), ['90 37 64', '80 37 40']);
    }));
  }

  test("the keys it plays keep the browser's own action; Ctrl+W still closes the tab", () => withSession({}, async (s) => {
    await s.page.evaluate(() => {
      window.__prevented = [];
      window.addEventListener('keydown', (e) => window.__prevented.push([e.code, e.defaultPrevented]));
    });
    for (const code of ['Slash', 'Quote', 'Space', 'KeyQ']) await s.tap(code);
    assert.deepEqual(await s.page.evaluate(() => window.__prevented),
      [['Slash', true], ['Quote', true], ['Space', true], ['KeyQ', true]]);
    const closed = new Promise((r) => s.page.once('close', r));
    await s.down('ControlLeft');
    await s.down('KeyW').catch(() => {});
    await closed;
  }));

  test('settings are kept across a reload, as the 64 bytes of the desktop file', () => withSession({}, async (s) => {
    await s.waitWords(1);
    await s.tap('NumpadAdd');
    await s.clickMenu('Midi', 'Channel', '3');
    await s.reload();
    await s.mark();
    await s.tap('KeyQ');
    assert.deepEqual(await s.waitWords(2), ['92 37 6C', '82 37 40']);
    const bytes = Buffer.from(await s.settingsBytes());
    assert.equal(bytes.length, 64);
    assert.equal(bytes.readUInt32LE(0), 0x12993315);
    assert.equal(bytes.readInt32LE(36), 1, 'the recording output');
    assert.equal(bytes.readInt32LE(44), 2, 'channel 3');
    assert.equal(bytes.readInt32LE(52), 108, 'velocity');
  }));

  test('a page refused its storage still plays, with the defaults', () => withSession({ storage: false, settings: null }, async (s) => {
    await s.clickMenu('Devices', 'Recording MIDI');
    await s.mark();
    await s.tap('KeyQ');
    assert.deepEqual(await s.waitWords(2), ['90 37 64', '80 37 40']);
  }));
});

describe('Web MIDI', () => {
  test('outputs come and go in the Devices menu as the system reports them', () => withSession({}, async (s) => {
    assert.deepEqual(await s.deviceItems(), ['Default synth (built-in)', 'Plinkett GM Synth', 'Recording MIDI']);
    await s.page.evaluate(() => window.__midiStandIn.add('rec-2', 'Second & Third'));
    assert.deepEqual((await s.deviceItems()).slice(2), ['Recording MIDI', 'Second & Third']);
    await s.page.evaluate(() => window.__midiStandIn.remove('rec-2'));
    assert.deepEqual((await s.deviceItems()).slice(2), ['Recording MIDI']);
  }));

  for (const [mode, why] of [['absent', 'This browser has no Web MIDI'], ['refuse', 'Access to MIDI devices was refused']]) {
    test(`Web MIDI ${mode === 'absent' ? 'absent' : 'refused'}: the synthesizer alone, and one line says why`, () =>
      withSession({ midi: mode }, async (s) => {
        assert.deepEqual(await s.deviceItems(), ['Default synth (built-in)', 'Plinkett GM Synth']);
        assert.equal(await s.statusLine(), `${why}; the built-in synthesizer plays.`);
        // The remembered output is not there: the program says so in its own box.
        assert.deepEqual(await s.page.$eval('#box', (el) => [el.open, el.querySelector('.caption').textContent,
          el.querySelector('.text').textContent]), [true, 'Plinkett Freeware', 'Cannot open MIDI device']);
      }));
  }
});

describe('the built-in synthesizer', () => {
  // Its output is read where it leaves for the speakers, through the page's own analyser: no
  // sound card is needed.
  const peakWithin = (s, ms) => s.page.evaluate(async (wait) => {
    await window.plinkett.synth.ready();
    const { output } = window.plinkett.synth.listen();
    const samples = new Float32Array(output.fftSize);
    let peak = 0;
    for (const end = performance.now() + wait; performance.now() < end && peak < 0.01;) {
      await new Promise((r) => setTimeout(r, 20));
      output.getFloatTimeDomainData(samples);
      for (const v of samples) peak = Math.max(peak, Math.abs(v));
    }
    return peak;
  }, ms);

  test('a first start plays the synthesizer; the key held during its load sounds once it is loaded', () =>
    withSession({ settings: null }, async (s) => {
      assert.equal((await s.menuItem('Default synth (built-in)')).checked, true);
      await s.down('KeyQ');
      const peak = await peakWithin(s, 8000);
      await s.up('KeyQ');
      assert.ok(peak >= 0.01, `a peak of ${peak}`);
      assert.equal(await s.statusLine(), '');
    }));

  test('a page that is not a secure context plays it without an AudioWorklet, and says why there is no MIDI', () =>
    withSession({ settings: null, insecure: true }, async (s) => {
      assert.equal(await s.page.evaluate(() => window.isSecureContext), false);
      await s.down('KeyQ');
      const peak = await peakWithin(s, 8000);
      await s.up('KeyQ');
      assert.ok(peak >= 0.01, `a peak of ${peak}`);
      assert.equal(await s.statusLine(), 'MIDI devices need a secure page (https or localhost); the built-in synthesizer plays.');
    }));
});

describe('drawing', () => {
  for (const scale of [1, 2]) {
    test(`at a device pixel ratio of ${scale} the keyboard is drawn in device pixels, and kept as a picture`, () =>
      withSession({ scale }, async (s) => {
        await s.down('KeyQ');
        await s.waitWords(2);
        const [canvas, css] = await s.page.$eval('#keyboard', (c) => [[c.width, c.height], [c.clientWidth, c.clientHeight]]);
        assert.deepEqual(canvas, [css[0] * scale, css[1] * scale]);
        await s.screenshot(`${artifacts}/page-dpr${scale}.png`);
        await s.up('KeyQ');
      }));
  }
});
