// A recording Web MIDI stand-in, put in the page before any of its scripts runs (as the recording
// winmm.dll is put beside the Windows program): outputs that keep every message sent to them,
// with the time it was handed over, and that tests can add or take away while the page runs.
// window.__standInMode chooses what requestMIDIAccess does: 'grant' (at once), 'refuse', 'absent'.
(() => {
  const mode = window.__standInMode ?? 'grant';
  const sent = [];
  const outputs = new Map();
  const listeners = [];
  // What was sent is kept for the same tab's next page once this one is going away, so the words
  // of its close can be read there.
  let leaving = false;
  const keep = () => { try { sessionStorage.setItem('__midiSent', JSON.stringify(sent)); } catch { /* none */ } };
  window.addEventListener('pagehide', () => { leaving = true; keep(); }, true);
  const access = {
    inputs: new Map(),
    outputs,
    sysexEnabled: false,
    onstatechange: null,
    addEventListener(type, fn) { if (type === 'statechange') listeners.push(fn); },
    removeEventListener() {},
  };
  function changed(port) {
    const event = { port, type: 'statechange' };
    for (const fn of listeners) fn(event);
    if (access.onstatechange) access.onstatechange(event);
  }
  function makeOutput(id, name) {
    return {
      id, name, manufacturer: 'Plinkett tests', type: 'output', version: '1',
      state: 'connected', connection: 'closed',
      open() { this.connection = 'open'; return Promise.resolve(this); },
      close() { this.connection = 'closed'; return Promise.resolve(this); },
      send(data, timestamp) {
        if (this.state !== 'connected') throw new DOMException('The port is disconnected', 'InvalidStateError');
        sent.push({ output: this.name, at: performance.now(), timestamp, bytes: Array.from(data) });
        if (leaving) keep();
      },
      clear() {},
    };
  }
  window.__midiStandIn = {
    sent,
    add(id, name) { const o = makeOutput(id, name); outputs.set(id, o); changed(o); },
    remove(id) { const o = outputs.get(id); if (!o) return; o.state = 'disconnected'; outputs.delete(id); changed(o); },
  };
  for (const [id, name] of window.__standInOutputs ?? [['rec-1', 'Recording MIDI']]) outputs.set(id, makeOutput(id, name));
  if (mode === 'absent') {
    delete Navigator.prototype.requestMIDIAccess;
  } else {
    Navigator.prototype.requestMIDIAccess = function () {
      return mode === 'refuse' ? Promise.reject(new DOMException('refused', 'NotAllowedError')) : Promise.resolve(access);
    };
  }
})();
