#!/usr/bin/env bash
# Plinkett against jack-keyboard, vkeybd, VMPK and two floor clients of the harness's own (bare
# Xlib+JACK, and the least Qt 6 Widgets window), side by side in one run, one table at the end
# (also written to bench-artifacts/peers-<date>.md and .json). The run fails (status 1) when
# Plinkett lost a key press.
#
#   bench/peers/run.sh [--rounds N] [--program PATH] [--soundfont timgm6mb|fluidr3|FILE]
#                      [any option of bench/peers/peers.py, e.g. --only floor,plinkett-jack]
#
# --program   the Plinkett binary to measure (default: the executable named plinkett in the
#             Release build tree build/rel/, which this script does not build; see the README)
# --soundfont the General MIDI soundfont both synthesizers load (Plinkett's built-in one and
#             VMPK's FluidSynth): timgm6mb (the default, what scripts/install-deps.sh installs),
#             fluidr3 (fluid-soundfont-gm: when it is not installed, its package is fetched
#             with apt-get download and unpacked under build/peers/, not installed, so that the
#             system's default GM soundfont stays what it is) or a file. The harness runs
#             in a private mount namespace in which that file is seen at Debian's default GM
#             path, /usr/share/sounds/sf2/default-GM.sf2, the first place Plinkett looks.
# The peers come from Debian and are installed with apt-get when missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"

program=""
soundfont=timgm6mb
pass=()
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program="$2"; shift 2 ;;
    --program=*) program="${1#*=}"; shift ;;
    --soundfont) soundfont="$2"; shift 2 ;;
    --soundfont=*) soundfont="${1#*=}"; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d'; exit 0 ;;
    *) pass+=("$1"); shift ;;
  esac
done

if [ -z "$program" ]; then
  # The Release build's binary, wherever the source layout puts it in the build tree.
  program="$(find "$repo/build/rel" -type f -name plinkett -perm -u+x 2>/dev/null | head -1)"
  program="${program:-$repo/build/rel/bin/plinkett}"
fi
if [ ! -x "$program" ]; then
  echo "no program at $program; build it first:" >&2
  echo "  cmake -S $repo -B $repo/build/rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLINKETT_TESTS=OFF && cmake --build $repo/build/rel" >&2
  exit 1
fi
program="$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"

case "$soundfont" in
  timgm6mb) sf_package=timgm6mb-soundfont; sf_file=/usr/share/sounds/sf2/TimGM6mb.sf2 ;;
  fluidr3) sf_package=""; sf_file=/usr/share/sounds/sf2/FluidR3_GM.sf2 ;;
  *) sf_package=""; sf_file="$(realpath "$soundfont")" ;;
esac

# What the run needs, installed when missing.
packages=(jackd2 libjack-jackd2-dev libx11-dev libxtst-dev qt6-base-dev pkg-config xvfb python3 jack-keyboard vkeybd vmpk)
[ -n "$sf_package" ] && packages+=("$sf_package")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q > /dev/null
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" > /dev/null
fi
out="$repo/build/peers"
mkdir -p "$out"
sf_origin=""
if [ "$soundfont" = fluidr3 ] && [ ! -r "$sf_file" ]; then
  unpacked="$out/fluid-soundfont-gm"
  if [ ! -r "$unpacked$sf_file" ]; then
    echo "fetching fluid-soundfont-gm (about 120 MB) to unpack under $unpacked"
    rm -rf "$unpacked" "$out"/fluid-soundfont-gm_*.deb
    # (apt warns that it downloads as root, unsandboxed, into a folder its own user cannot
    # write: expected here)
    (cd "$out" && apt-get download -q fluid-soundfont-gm 2>&1 > /dev/null | grep -v unsandboxed >&2 || true)
    dpkg-deb -x "$out"/fluid-soundfont-gm_*.deb "$unpacked"
    dpkg-deb -f "$out"/fluid-soundfont-gm_*.deb Version > "$unpacked/VERSION"
    rm -f "$out"/fluid-soundfont-gm_*.deb
  fi
  sf_file="$unpacked$sf_file"
  sf_origin="fluid-soundfont-gm $(cat "$unpacked/VERSION"), unpacked, not installed"
fi
[ -r "$sf_file" ] || { echo "no soundfont at $sf_file" >&2; exit 1; }

# The harness's own helpers.
flags=(-O2 -Wall -Wextra -Werror)
cc "${flags[@]}" -o "$out/probe" "$here/probe.c" -ljack -lm
cc "${flags[@]}" -o "$out/floor" "$here/floor.c" -ljack -lX11
cc "${flags[@]}" -o "$out/mapwatch" "$here/mapwatch.c" -lX11
cc "${flags[@]}" -o "$out/keys" "$here/keys.c" -lX11 -lXtst
# shellcheck disable=SC2046  # pkg-config's words are meant to split
c++ -std=c++17 -fPIC "${flags[@]}" -o "$out/qtfloor" "$here/qtfloor.cpp" $(pkg-config --cflags --libs Qt6Widgets)

if [ -z "$sf_origin" ] && owner="$(dpkg -S "$sf_file" 2>/dev/null)"; then
  pkg="${owner%%:*}"
  sf_origin="$pkg $(dpkg-query -W -f='${Version}' "$pkg")"
fi
sf_name="$sf_file (${sf_origin:+$sf_origin, }$(du -h "$sf_file" | cut -f1)B)"

args=(--program "$program" --soundfont "$sf_file" --soundfont-name "$sf_name"
      --probe "$out/probe" --floor "$out/floor" --qtfloor "$out/qtfloor" --mapwatch "$out/mapwatch"
      --keys "$out/keys"
      "${pass[@]}")
default_gm=/usr/share/sounds/sf2/default-GM.sf2
if [ "$(id -u)" -eq 0 ] && [ -e "$default_gm" ]; then
  # Only the harness and what it starts see the chosen soundfont there; the system keeps its own.
  exec unshare --mount --propagation private -- bash -c \
    'mount --bind "$1" "$2" && shift 2 && exec python3 -B "$@"' \
    _ "$sf_file" "$default_gm" "$here/peers.py" "${args[@]}"
fi
echo "note: not root (or no $default_gm): Plinkett loads whatever GM soundfont it finds," \
     "which may differ from VMPK's $sf_file" >&2
exec python3 -B "$here/peers.py" "${args[@]}" --soundfont-name "$sf_name; Plinkett: what it finds"
