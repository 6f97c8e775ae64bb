// The page's figures: the size of its code as a browser downloads it (compressed), the time from
// navigation to the first drawn keyboard, and key press to MIDIOutput.send() (from the key
// event's timeStamp to the recording output's send, on the page's own clock) over many presses.
//   node bench/web/bench.mjs PAGE_FOLDER [--presses N] [--loads N]
import { readFileSync, statSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { brotliCompressSync, constants, gzipSync } from 'node:zlib';
import { PageSession, launchBrowser, servePage } from '../../tests/web/page_driver.mjs';

const folder = process.argv[2] ?? 'build/web/page';
const option = (name, fallback) => {
  const at = process.argv.indexOf(name);
  return at > 0 ? Number(process.argv[at + 1]) : fallback;
};
const presses = option('--presses', 200);
const loads = option('--loads', 10);

// Everything the page runs, without the soundfont: its own code and the synthesizer's.
const pageCode = ['index.html', 'plinkett.css', 'main.js', 'plinkett.js', 'plinkett.wasm', 'synth-worklet.js',
  'spessasynth_processor.min.js'];
// Loaded instead of the last two only where a page cannot have an AudioWorklet.
const insecureSynth = ['synth-script.js'];

const kb = (n) => `${(n / 1024).toFixed(1)} KB`;
const percentile = (sorted, p) => sorted[Math.min(sorted.length - 1, Math.ceil((p / 100) * sorted.length) - 1)];
const ms = (v) => `${v.toFixed(2)} ms`;

function sizes(files) {
  let raw = 0;
  let gz = 0;
  let br = 0;
  const rows = files.map((name) => {
    const bytes = readFileSync(join(folder, name));
    const g = gzipSync(bytes, { level: 9 }).length;
    const b = brotliCompressSync(bytes, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
    raw += bytes.length;
    gz += g;
    br += b;
    return `  ${name.padEnd(30)} ${kb(bytes.length).padStart(10)} ${kb(g).padStart(10)} ${kb(b).padStart(10)}`;
  });
  return { rows, raw, gz, br };
}

const lines = [];
const out = (line = '') => { lines.push(line); console.log(line); };

out(`Plinkett page benchmark, ${new Date().toISOString()}`);
out(`Page: ${folder}`);
out();
out('Code size (without the soundfont)     raw       gzip -9   brotli 11');
const code = sizes(pageCode);
code.rows.forEach((r) => out(r));
out(`  ${'total'.padEnd(30)} ${kb(code.raw).padStart(10)} ${kb(code.gz).padStart(10)} ${kb(code.br).padStart(10)}`);
const script = sizes(insecureSynth);
out(`  where no AudioWorklet is allowed, ${insecureSynth[0]} (${kb(script.gz)} gzip) replaces the worklet's two files`);
out(`  soundfont TimGM6mb.sf2, loaded after the first drawing when the synthesizer is chosen: ${kb(statSync(join(folder, 'TimGM6mb.sf2')).size)}`);
out();

const browser = await launchBrowser();
const { server, origin } = await servePage(folder);
out(`Browser: ${await browser.version()} (headless), ${(await import('node:os')).cpus().length} cores; the page's clock counts in 0.1 ms steps`);
try {
  // Navigation to the first drawn keyboard: a fresh profile each time (nothing cached).
  const firstDrawn = [];
  for (let i = 0; i < loads; ++i) {
    const s = new PageSession(browser, origin);
    await s.start({ midi: 'grant' });
    firstDrawn.push(await s.page.evaluate(() => performance.getEntriesByName('plinkett-keyboard-drawn')[0].startTime));
    await s.close();
  }
  firstDrawn.sort((a, b) => a - b);
  out(`Navigation to the first drawn keyboard, ${loads} loads with nothing cached: median ${ms(percentile(firstDrawn, 50))}, ` +
    `min ${ms(firstDrawn[0])}, max ${ms(firstDrawn.at(-1))}`);

  // Key press to send: the recording output chosen, as a returning player left it.
  const settings = Buffer.alloc(64);
  settings.writeUInt32LE(0x12993315, 0);
  settings.writeFloatLE(2.0, 12);
  [100, 100, 500, 300].forEach((v, i) => settings.writeInt32LE(v, 16 + 4 * i));
  settings.writeInt32LE(1, 36);
  settings.writeInt32LE(1, 40);
  settings.writeInt32LE(100, 52);
  const s = new PageSession(browser, origin);
  await s.start({ settings: {
    'plinkett:/PLINKETT.SET': settings.toString('base64'),
    'plinkett:/PLINKETT.DEV': Buffer.from('1\nRecording MIDI\n').toString('base64'),
  } });
  await s.page.evaluate(() => {
    window.__pressedAt = [];
    window.addEventListener('keydown', (e) => { if (e.code === 'KeyQ') window.__pressedAt.push(e.timeStamp); }, true);
  });
  await s.mark();
  for (let i = 0; i < presses; ++i) {
    await s.down('KeyQ');
    await s.up('KeyQ');
  }
  await s.waitWords(2 * presses, 10000);
  const pressedAt = await s.page.evaluate(() => window.__pressedAt);
  const noteOns = (await s.sent()).slice(s.from).filter((m) => m.bytes[0] === 0x90).map((m) => m.at);
  if (noteOns.length !== presses || pressedAt.length !== presses) throw new Error(`${noteOns.length} note-ons for ${presses} presses`);
  const latency = noteOns.map((at, i) => at - pressedAt[i]).sort((a, b) => a - b);
  out(`Key press (event timeStamp) to MIDIOutput.send(), ${presses} presses: median ${ms(percentile(latency, 50))}, ` +
    `p99 ${ms(percentile(latency, 99))}, min ${ms(latency[0])}, max ${ms(latency.at(-1))}`);
  await s.close();

  // The built-in synthesizer's audio path as the browser reports it: the context's own buffering
  // (baseLatency) and the output's (outputLatency; here a headless Chromium's stand-in output).
  const synth = new PageSession(browser, origin);
  await synth.start({ midi: 'absent' });
  await synth.tap('KeyQ');
  const audio = await synth.page.evaluate(async () => {
    await window.plinkett.synth.ready();
    const { context } = window.plinkett.synth.listen();
    return { rate: context.sampleRate, base: context.baseLatency, output: context.outputLatency, worklet: !!context.audioWorklet };
  });
  out(`Built-in synthesizer: ${audio.worklet ? 'AudioWorklet' : 'ScriptProcessorNode'} at ${audio.rate} Hz, render quantum 128 frames ` +
    `(${ms((128 / audio.rate) * 1000)}), baseLatency ${ms(audio.base * 1000)}, outputLatency ${ms(audio.output * 1000)}`);
  await synth.close();
} finally {
  await browser.close();
  server.close();
}
if (process.env.PLINKETT_BENCH_OUT) writeFileSync(process.env.PLINKETT_BENCH_OUT, `${lines.join('\n')}\n`);
