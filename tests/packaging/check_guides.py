#!/usr/bin/env python3
"""Each platform's guide, as the build writes it from the one source, names nothing of the other
platform: a Windows user reads of no terminal or package manager, a Linux user of no .exe.

    check_guides.py SOURCE         writes both guides from SOURCE and checks them
Exit status 0 = passed, 1 = failed. Other checks import foreign_words().
"""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "guide"))
import make_guide  # noqa: E402

# What only the other platform has, as a guide would write it.
OTHER_PLATFORMS_WORDS = {
    "windows": [r"\bapt\b", r"\bsudo\b", r"\bJACK\b", r"\bALSA\b", r"PipeWire", r"PulseAudio",
                r"(?i)\bterminal\b", r"share/plinkett", r"FluidSynth", r"(?i)soundfont", r"~/\.config",
                r"XDG_", r"\bLinux\b", r"Debian", r"aconnect", r"xdg-open"],
    "linux": [r"plinkett\.exe", r"%APPDATA%", r"GS Wavetable", r"Program Files", r"loopMIDI",
              r"LoopBe", r"\bWindows\b", r"File Explorer", r"\.txt\b"],
    "web": [r"plinkett\.exe", r"%APPDATA%", r"GS Wavetable", r"Program Files", r"File Explorer",
            r"\bapt\b", r"\bsudo\b", r"\bJACK\b", r"\bALSA\b", r"PipeWire", r"(?i)\bterminal\b",
            r"share/plinkett", r"~/\.config", r"XDG_", r"aconnect", r"FluidSynth"],
}


def foreign_words(text, platform):
    """The words of another platform found in a guide of this one."""
    found = []
    for pattern in OTHER_PLATFORMS_WORDS[platform]:
        found += [m.group(0) for m in re.finditer(pattern, text)]
    return found


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        source = f.read()
    failed = False
    for platform in make_guide.PLATFORMS:
        guide = make_guide.for_platform(source, platform)
        found = foreign_words(guide, platform)
        if found:
            print(f"FAIL: the {platform} guide names {sorted(set(found))}")
            failed = True
        if 'id="using-this-guide"' not in guide:
            print(f"FAIL: the {platform} guide has no section on using it")
            failed = True
    if failed:
        return 1
    print("PASS guides")
    return 0


if __name__ == "__main__":
    sys.exit(main())
