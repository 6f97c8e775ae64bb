// The MIDI devices of the page: device 0 is the built-in synthesizer (the mapper, -1, routes to
// it too), devices 1 and up the outputs Web MIDI offers, in its order. A handle names one opened
// device; an output that is open stays in every count until it is closed, though it went away.
export const kMapperName = 'Default synth (built-in)';
export const kSynthName = 'Plinkett GM Synth';

const kSynth = { synth: true };

// Channel messages whose status takes one data byte: program change and channel pressure.
const oneDataByte = (status) => (status & 0xf0) === 0xc0 || (status & 0xf0) === 0xd0;

export function bytesOfWord(word) {
  const status = word & 0xff;
  const bytes = [status, (word >>> 8) & 0xff, (word >>> 16) & 0xff];
  return oneDataByte(status) ? bytes.slice(0, 2) : bytes;
}

export function createMidi({ synth, changed }) {
  let access = null;
  let devices = [kSynth];  // the latest count, by device id
  const open = new Map();  // handle -> { device, mapper }
  let nextHandle = 1;

  function count() {
    const outputs = access ? [...access.outputs.values()].filter((o) => o.state !== 'disconnected') : [];
    for (const { device } of open.values()) {
      if (device !== kSynth && !outputs.includes(device)) outputs.push(device);
    }
    devices = [kSynth, ...outputs];
    return devices.length;
  }

  return {
    // Web MIDI access arrived: the outputs join the list, and follow the system from now on.
    setAccess(midiAccess) {
      if (access) return;
      access = midiAccess;
      access.addEventListener('statechange', () => changed());
      changed();
    },
    count,
    name(id) {
      if (id === -1) return kMapperName;
      const device = devices[id];
      if (!device) return null;
      return device === kSynth ? kSynthName : device.name ?? '';
    },
    open(id) {
      const device = id === -1 ? kSynth : devices[id];
      if (!device) return 0;
      if (device === kSynth) {
        synth.open();
      } else {
        if (device.state === 'disconnected') return 0;
        device.open().catch(() => {});
      }
      const handle = nextHandle++;
      open.set(handle, { device, mapper: id === -1 });
      return handle;
    },
    deviceId(handle) {
      const port = open.get(handle);
      if (!port) return -2;
      return port.mapper ? -1 : devices.indexOf(port.device);
    },
    // Never waits: an output that went away, or a message it refuses, drops the message.
    send(handle, word) {
      const port = open.get(handle);
      if (!port) return;
      const bytes = bytesOfWord(word);
      if (port.device === kSynth) {
        synth.send(bytes);
        return;
      }
      try {
        port.device.send(bytes);
      } catch {
        // gone or refused: dropped, as the core expects of a send
      }
    },
    close(handle) {
      const port = open.get(handle);
      open.delete(handle);
      if (port && port.device !== kSynth && ![...open.values()].some((p) => p.device === port.device)) {
        port.device.close().catch(() => {});
      }
    },
  };
}
