// The built-in synthesizer for a page that cannot have an AudioWorklet: spessasynth_core's
// processor, rendered on the page's own thread.
export { SoundBankLoader, SpessaSynthProcessor } from 'spessasynth_core';
