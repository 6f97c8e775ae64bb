// The page as a target of the end-to-end runner shared with the desktop programs: one page
// session spoken to over standard input and output, a JSON line a request and a JSON line its
// answer ({"ok": value} or {"error": text}). The runner's key names are X keysym names, as its
// desktop targets type them; here each becomes a key event by physical code.
//   node tests/web/page_target.mjs PAGE_FOLDER
//   {"op": "start", "settings": BASE64 or null}   first start when null; waits for the window
//   {"op": "key", "names": ["shift+q"]}  {"op": "hold", "name": "q"}  {"op": "let_go", "name": "q"}
//   {"op": "click", "x": 120, "y": 80}   {"op": "capture"} -> every message sent, as hex lines
//   {"op": "close"} -> the messages, the close's included  {"op": "saved"} -> the 64 bytes, BASE64
//   {"op": "screenshot", "path": PATH}   {"op": "quit"}
import { createInterface } from 'node:readline';
import { PageSession, launchBrowser, servePage } from './page_driver.mjs';

const keysyms = {
  shift: 'ShiftLeft', ctrl: 'ControlLeft', alt: 'AltLeft', space: 'Space', Return: 'Enter', Escape: 'Escape',
  Up: 'ArrowUp', Down: 'ArrowDown', Left: 'ArrowLeft', Right: 'ArrowRight', KP_Add: 'NumpadAdd',
  KP_Subtract: 'NumpadSubtract', KP_Divide: 'NumpadDivide', KP_Enter: 'NumpadEnter', F10: 'F10',
  slash: 'Slash', apostrophe: 'Quote',
};
const codeOf = (name) => keysyms[name] ?? (/^[a-z]$/.test(name) ? `Key${name.toUpperCase()}` : /^[0-9]$/.test(name) ? `Digit${name}` : name);

const browser = await launchBrowser();
const { server, origin } = await servePage(process.argv[2] ?? 'build/web/page');
let s = null;

const requests = {
  async start({ settings }) {
    s = new PageSession(browser, origin);
    const device = 'plinkett:/PLINKETT.DEV';
    await s.start(settings ? { settings: {
      'plinkett:/PLINKETT.SET': settings,
      // The device the settings name is the recording output, remembered by name too.
      [device]: Buffer.from('1\nRecording MIDI\n').toString('base64'),
    } } : { settings: null });
  },
  // "shift+q": the modifiers go down first and up last, as a player's fingers do.
  async key({ names }) {
    for (const name of names) {
      const codes = name.split('+').map(codeOf);
      for (const code of codes) await s.down(code);
      for (const code of codes.reverse()) await s.up(code);
    }
  },
  hold: ({ name }) => s.down(codeOf(name)),
  let_go: ({ name }) => s.up(codeOf(name)),
  click: ({ x, y }) => s.clickClient(x, y),
  capture: () => s.words(),
  close: async () => (await s.leave()).map((bytes) => bytes.map((b) => b.toString(16).toUpperCase().padStart(2, '0')).join(' ')),
  saved: async () => Buffer.from((await s.settingsBytes()) ?? []).toString('base64'),
  // The keyboard's client area alone, as the desktop targets photograph their window's.
  screenshot: async ({ path }) => (await s.page.$('#keyboard')).screenshot({ path }),
};

const lines = createInterface({ input: process.stdin });
for await (const line of lines) {
  const request = JSON.parse(line);
  if (request.op === 'quit') break;
  try {
    const value = await requests[request.op](request);
    process.stdout.write(`${JSON.stringify({ ok: value ?? null })}\n`);
  } catch (error) {
    process.stdout.write(`${JSON.stringify({ error: String(error.message ?? error) })}\n`);
  }
}
lines.close();
process.stdin.destroy();
await s?.close();
await browser.close();
server.closeAllConnections();
server.close();
