#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on a fresh Debian 12 machine.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev libgl-dev
  # The window icon is an SVG (Qt's SVG image plugin); rsvg-convert makes its 64-pixel PNG.
  libqt6svg6 librsvg2-bin
  # Detectable key auto-repeat on X11, set on the toolkit's own connection.
  libxcb-xkb-dev
  # Fontconfig's configuration is read on a thread of its own at start.
  libfontconfig-dev
  librtmidi-dev libfluidsynth-dev
  # jackd2's headers by name: the synth and MIDI headers would otherwise pull JACK 1 and drop jackd2.
  libjack-jackd2-dev jackd2
  timgm6mb-soundfont
  xvfb xdotool x11-utils imagemagick
  # The end-to-end tests: xset for real key auto-repeat, Python for the harness.
  x11-xserver-utils python3
  fonts-dejavu-core
  xdg-utils
  # The microbenchmarks (bench/micro).
  libbenchmark-dev
  # The settings reader's fuzzer: libFuzzer comes with clang's runtime.
  clang-14 libclang-rt-14-dev
  # The Windows program: cross compiler (its -posix variant), GoogleTest's sources for it, the icon
  # tool; Wine to run it in the tests (64-bit only, no i386), with its fonts and the X libraries
  # it loads at run time; pgrep for the test run's Wine desktop.
  g++-mingw-w64-x86-64 googletest icoutils
  wine wine64 fonts-wine
  libxi6 libxrandr2 libxrender1 libxcursor1 libxinerama1 libxcomposite1 libxfixes3 procps
  # The Qt Wayland plugin the program needs on a Wayland desktop, and a headless compositor to
  # test it under.
  qt6-wayland weston
  # The package (scripts/package.sh) and the checks of the desktop entry and AppStream data.
  file desktop-file-utils appstream man-db
  # The page: Emscripten (its system libraries come prebuilt with it), Node for its tools, the
  # bundler and the browser tests, the Chromium the tests drive.
  emscripten nodejs chromium
)
# npm comes with some builds of nodejs and as a package of its own with Debian's.
command -v npm > /dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# jackd2 asks whether to enable realtime scheduling; answer it before it can prompt.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
