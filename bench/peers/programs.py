"""The programs a run measures: Plinkett (on a JACK MIDI input, and with its built-in synth on
JACK audio), its peers and the harness's two floor clients, each with what its launch prepares."""

import os

from runner import settings_bytes

VMPK_CONF = """[Connections]
AdvancedEnabled=false
InEnabled=false
InputDriver=
OmniEnabled=false
OutPort=FluidSynth
OutputDriver=FluidSynth
ThruEnabled=false

[FluidSynth]
AudioDriver=jack
InstrumentsDefinition={soundfont}
"""


class Program:
    def __init__(self, name, argv, midi=False, sound=False, what=""):
        self.name = name
        self.argv = argv
        self.midi = midi      # sends MIDI to a JACK input
        self.sound = sound    # plays through JACK audio
        self.what = what      # how it runs here, for the notes

    def prepare(self, run, home, env):
        pass


class Vmpk(Program):
    def prepare(self, run, home, env):
        d = os.path.join(home, "config", "vmpk.sourceforge.net")
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "VMPK.conf"), "w") as f:
            f.write(VMPK_CONF.format(soundfont=run.soundfont))


class Plinkett(Program):
    def __init__(self, name, program, synth, what):
        super().__init__(name, [program], midi=not synth, sound=synth, what=what)
        self.synth = synth

    def prepare(self, run, home, env):
        d = os.path.join(home, "config", "plinkett")
        os.makedirs(d, exist_ok=True)
        env["PLINKETT_TRACE_START"] = "1"  # each step of its start, timed, into the launch's log
        if self.synth:
            env["PLINKETT_MIDI_APIS"] = "none"
            env["PLINKETT_SYNTH_AUDIO_DRIVER"] = "jack"
            device = -1  # the mapper, which plays through the built-in synthesizer
        else:
            env["PLINKETT_NO_BUILTIN_SYNTH"] = "1"
            env["PLINKETT_MIDI_APIS"] = "jack"
            device = run.probe_device
        with open(os.path.join(d, "PLINKETT.SET"), "wb") as f:
            f.write(settings_bytes(device))


def make_programs(args):
    programs = [
        Program("floor", [args.floor, "floor"], midi=True, what="the harness's bare Xlib+JACK client"),
        Program("qt-floor", [args.qtfloor], what="the harness's least Qt 6 Widgets program: a main window, a menu "
                "bar and an area painted with a line of text; no MIDI, so launch, memory and idle CPU only"),
        Program("jack-keyboard", ["jack-keyboard"], midi=True,
                what="JACK MIDI out, default options: it stamps each note with the key's time "
                     "within the cycle, so notes leave one cycle later at that offset (-t "
                     "would send them at offset 0)"),
        Program("vkeybd", ["vkeybd"], what="ALSA sequencer only; no /dev/snd/seq here, so it sends nothing"),
        Vmpk("vmpk", ["vmpk"], sound=True,
             what="no JACK MIDI output in its drumstick back ends; plays through its "
                  "FluidSynth back end on JACK audio"),
        Plinkett("plinkett-jack", args.program, synth=False,
                 what="JACK MIDI device chosen in its settings file, no built-in synth"),
        Plinkett("plinkett-synth", args.program, synth=True, what="built-in synth (FluidSynth) on JACK audio"),
    ]
    if args.only:
        wanted = args.only.split(",")
        programs = [p for p in programs if p.name in wanted]
    return programs
