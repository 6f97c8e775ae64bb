// The page under a real browser, driven as a player drives it: Debian's Chromium, headless, with
// real input events (key events by physical code through the DevTools protocol, mouse clicks),
// the recording Web MIDI stand-in put in before the page's scripts, the page served by a plain
// static server on the loopback address. The operations are those of the desktop programs' runner
// (start, wait for the window, key by physical key, click, close, capture MIDI, read settings
// back), so the same black-box cases run here as rows of a table.
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { serve } from '../../scripts/serve-web.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const standIn = readFileSync(join(here, 'midi_standin.js'), 'utf8');
export const kChromium = process.env.PLINKETT_CHROMIUM ?? '/usr/bin/chromium';
// Without the networking switches a headless Chromium keeps knocking at a closed network.
export const kChromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Keys the cases press: code -> what a US keyboard's key event carries beside it.
const keys = {
  KeyQ: ['q', 81], KeyW: ['w', 87], KeyD: ['d', 68], KeyM: ['m', 77], KeyC: ['c', 67], KeyP: ['p', 80],
  Digit2: ['2', 50], Slash: ['/', 191], Quote: ["'", 222], Space: [' ', 32], Enter: ['Enter', 13],
  NumpadEnter: ['Enter', 13], Escape: ['Escape', 27], ArrowUp: ['ArrowUp', 38], ArrowDown: ['ArrowDown', 40],
  ArrowRight: ['ArrowRight', 39], ArrowLeft: ['ArrowLeft', 37],
  NumpadAdd: ['+', 107], NumpadSubtract: ['-', 109], NumpadDivide: ['/', 111], ShiftLeft: ['Shift', 16], ControlLeft: ['Control', 17],
  AltLeft: ['Alt', 18], F10: ['F10', 121],
};
const modifierBits = { AltLeft: 1, ControlLeft: 2, ShiftLeft: 8 };

export const kInsecureHost = 'plinkett.test';

export const hex = (bytes) => bytes.map((b) => b.toString(16).toUpperCase().padStart(2, '0')).join(' ');

export async function launchBrowser() {
  const profile = mkdtempSync(join(tmpdir(), 'plinkett-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: kChromium, headless: true, userDataDir: profile,
    // A name for the loopback address that is not "localhost": a page that is not a secure context.
    args: [...kChromiumFlags, `--host-resolver-rules=MAP ${kInsecureHost} 127.0.0.1`],
    // The default flags of the driver would turn on automation features a player never has.
    ignoreDefaultArgs: ['--enable-automation'],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
  };
  return browser;
}

export async function servePage(folder) {
  const server = await serve(folder);
  return { server, origin: `http://127.0.0.1:${server.address().port}` };
}

export class PageSession {
  constructor(browser, origin) {
    this.browser = browser;
    this.origin = origin;
    this.modifiers = 0;
  }

  // A fresh profile's worth of state (storage, permissions) for each case.
  async start({ scale = 1, midi = 'grant', outputs, settings, storage = true, viewport = [800, 450], insecure = false } = {}) {
    if (insecure) this.origin = this.origin.replace('127.0.0.1', kInsecureHost);
    this.context = await this.browser.createBrowserContext();
    this.page = await this.context.newPage();
    this.errors = [];
    this.page.on('pageerror', (e) => this.errors.push(e.message));
    await this.page.setViewport({ width: viewport[0], height: viewport[1], deviceScaleFactor: scale });
    const setup = `window.__standInMode = ${JSON.stringify(midi)};` +
      (outputs ? `window.__standInOutputs = ${JSON.stringify(outputs)};` : '') +
      (storage ? '' : `Object.defineProperty(window, 'localStorage', { get() { throw new DOMException('refused', 'SecurityError'); } });`);
    await this.page.evaluateOnNewDocument(setup + standIn);
    if (settings) await this.seed(settings);
    this.cdp = await this.page.createCDPSession();
    await this.open();
    return this;
  }

  // Entries put in the page's local storage before it loads, as an earlier visit left them.
  async seed(entries) {
    await this.page.goto(`${this.origin}/seed`);
    await this.page.evaluate((e) => { for (const [k, v] of Object.entries(e)) localStorage.setItem(k, v); }, entries);
  }

  async open() {
    await this.page.goto(`${this.origin}/`);
    await this.waitForWindow();
  }

  async waitForWindow() {
    await this.page.waitForFunction(() => window.plinkett && !document.getElementById('window').hidden, { timeout: 15000 });
  }

  // ---- Input ------------------------------------------------------------------------------

  async keyEvent(code, down, { repeat = false } = {}) {
    const [key, keyCode] = keys[code];
    const text = down && key.length === 1 && (this.modifiers & 3) === 0 ? key : undefined;
    if (!down && modifierBits[code]) this.modifiers &= ~modifierBits[code];
    await this.cdp.send('Input.dispatchKeyEvent', {
      type: down ? (text ? 'keyDown' : 'rawKeyDown') : 'keyUp', code, key, text, unmodifiedText: text,
      windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode, autoRepeat: repeat, modifiers: this.modifiers,
      location: code.startsWith('Numpad') ? 3 : 0,
    });
    if (down && modifierBits[code]) this.modifiers |= modifierBits[code];
  }

  async down(code, options) { await this.keyEvent(code, true, options); }
  async up(code) { await this.keyEvent(code, false); }
  async tap(code) { await this.down(code); await this.up(code); }

  // A point of the keyboard's canvas, in its device pixels, clicked with the left button.
  async clickClient(x, y, { hold } = {}) {
    const at = await this.page.evaluate(([px, py]) => {
      const r = document.getElementById('keyboard').getBoundingClientRect();
      return [r.left + px / devicePixelRatio, r.top + py / devicePixelRatio];
    }, [x, y]);
    await this.page.mouse.move(at[0], at[1]);
    await this.page.mouse.down();
    if (hold) await hold();
    await this.page.mouse.up();
  }

  async clickSelector(selector) { await (await this.page.$(selector)).click(); }

  // The menu item whose text (without its access marker) is given, under the open popups.
  async clickMenu(...path) {
    for (const label of path) {
      const handle = await this.page.evaluateHandle((text) => {
        const all = [...document.querySelectorAll('#menubar .top, #menubar .item')];
        return all.find((el) => el.offsetParent !== null && el.querySelector(':scope > .label').textContent === text);
      }, label);
      const el = handle.asElement();
      if (!el) throw new Error(`no menu entry "${label}" in reach`);
      await el.hover();
      await el.click();
    }
  }

  // ---- What came out ----------------------------------------------------------------------

  async sent() { return this.page.evaluate(() => window.__midiStandIn.sent.map((m) => ({ ...m }))); }
  async words() { return (await this.sent()).map((m) => hex(m.bytes)); }
  async mark() { this.from = (await this.sent()).length; }
  async newWords() { return (await this.words()).slice(this.from ?? 0); }

  // Waits until the page has sent at least n words since the mark (or the time is up).
  async waitWords(n, timeout = 3000) {
    const end = Date.now() + timeout;
    let words = await this.newWords();
    while (words.length < n && Date.now() < end) {
      await new Promise((r) => setTimeout(r, 25));
      words = await this.newWords();
    }
    await new Promise((r) => setTimeout(r, 100));
    return this.newWords();
  }

  async storage() { return this.page.evaluate(() => ({ ...localStorage })); }
  async settingsBytes() {
    const text = (await this.storage())['plinkett:/PLINKETT.SET'];
    return text === undefined ? null : [...Buffer.from(text, 'base64')];
  }
  async statusLine() { return this.page.$eval('#status', (el) => (el.hidden ? '' : el.textContent)); }
  async menuItem(label) {
    return this.page.evaluate((text) => {
      const el = [...document.querySelectorAll('#menubar .item')].find((e) => e.querySelector(':scope > .label').textContent === text);
      return el ? { checked: el.getAttribute('aria-checked') === 'true', grayed: el.getAttribute('aria-disabled') === 'true' } : null;
    }, label);
  }
  async deviceItems() {
    return this.page.$$eval('#menubar .item.device', (els) => els.map((e) => e.textContent));
  }
  async screenshot(path) { await this.page.screenshot({ path }); }

  // As a player leaves the page (pagehide): what it sent, its close included, is read back from
  // the tab's next page of the same site.
  async leave() {
    await this.page.goto(`${this.origin}/seed`);
    return this.page.evaluate(() => JSON.parse(sessionStorage.getItem('__midiSent') ?? '[]').map((m) => m.bytes));
  }
  async reload() { await this.page.reload(); await this.waitForWindow(); }

  async close() { await this.context?.close(); }
}
