// The built-in synthesizer's main-thread half, bundled from spessasynth_lib; its processor
// (spessasynth_processor.min.js) is copied beside the page as the package ships it.
export { WorkletSynthesizer } from 'spessasynth_lib';
