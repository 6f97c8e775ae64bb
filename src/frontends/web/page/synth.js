// The built-in General MIDI synthesizer: spessasynth_lib's SoundFont player in an AudioWorklet,
// playing TimGM6mb from beside the page. Nothing of it is fetched until the synthesizer is opened,
// and then only after the keyboard is drawn; messages sent while it loads are kept and played in
// order once it is ready. Browsers start audio only after the player's first key or click, so the
// context is resumed then. Where a page cannot have an AudioWorklet (a page that is not a secure
// context), the same synthesizer renders on the page's own thread through a ScriptProcessorNode.
const kSoundFont = 'TimGM6mb.sf2';
const kScriptBufferFrames = 1024;  // ~21 ms at 48 kHz: the smallest that plays without gaps
const kRenderQuantum = 128;

export function createSynth({ say }) {
  let context = null;
  let output = null;  // the last node before the speakers; tests listen here
  let send = null;    // plays one message once loaded
  let loading = null;
  let waiting = [];

  async function loadWorklet(bank) {
    const { WorkletSynthesizer } = await import('./synth-worklet.js');
    await context.audioWorklet.addModule('spessasynth_processor.min.js');
    const synth = new WorkletSynthesizer(context);
    synth.connect(output);
    await synth.soundBankManager.addSoundBank(await bank, 'main');
    await synth.isReady;
    return (bytes) => synth.sendMessage(bytes);
  }

  async function loadScript(bank) {
    const { SpessaSynthProcessor, SoundBankLoader } = await import('./synth-script.js');
    const processor = new SpessaSynthProcessor(context.sampleRate);
    processor.soundBankManager.addSoundBank(SoundBankLoader.fromArrayBuffer(await bank), 'main');
    await processor.processorInitialized;
    const node = context.createScriptProcessor(kScriptBufferFrames, 0, 2);
    // The processor renders at most one render quantum a call.
    node.onaudioprocess = (e) => {
      const [left, right] = [e.outputBuffer.getChannelData(0), e.outputBuffer.getChannelData(1)];
      for (let at = 0; at < left.length; at += kRenderQuantum) processor.process(left, right, at, kRenderQuantum);
    };
    node.connect(output);
    return (bytes) => processor.processMessage(bytes);
  }

  async function load() {
    context = new AudioContext({ latencyHint: 'interactive' });
    output = context.createAnalyser();
    output.fftSize = 2048;
    output.connect(context.destination);
    const bank = fetch(kSoundFont).then((r) => {
      if (!r.ok) throw new Error(`${kSoundFont}: ${r.status}`);
      return r.arrayBuffer();
    });
    try {
      send = await (context.audioWorklet ? loadWorklet(bank) : loadScript(bank));
    } catch (error) {
      say(`The built-in synthesizer could not load its sounds (${error.message}); it stays silent.`);
      send = () => {};  // what comes from now on is dropped, not kept for ever
      waiting = [];
      return;
    }
    for (const bytes of waiting) send(bytes);
    waiting = [];
  }

  // After the first drawing of the keyboard: the soundfont must not hold up the page.
  function startLoading() {
    if (loading) return;
    loading = new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0))).then(load);
  }

  return {
    open() { startLoading(); },
    send(bytes) {
      if (send) send(bytes);
      else if (loading) waiting.push(bytes);
    },
    // The player's first key or click lets the page make sound.
    wake() {
      if (context && context.state === 'suspended') context.resume().catch(() => {});
    },
    ready: () => loading ?? Promise.resolve(),
    listen: () => ({ context, output }),
  };
}
