#!/usr/bin/env bash
# Runs a 32-bit Windows program under Debian's 32-bit Wine on qemu-i386, in
# the root and prefix that scripts/wine32-setup makes (build/wine32/).
#
# - Wine's preloader reserves the address space at once; without it a start
#   spends most of a minute in Wine's own reservation loop under qemu.
# - Two programs may run at once (ctest -j2), each in a prefix of its own
#   (scripts/wine32-setup makes prefix and prefix-1): programs under one
#   wineserver share their named windows and mappings, and two tests'
#   "FS2KMAIN" windows and offset servers would find each other. A run takes
#   the first free slot, locked for the run.
# - A wineserver (the system's 64-bit one, which serves 32-bit programs too)
#   is kept up for a minute after the last program of its prefix ends, so
#   every start of a suite finds one: a start then takes about half a second.
# - The kept server's helper processes inherit whatever the first program
#   had open, so the program's output goes to a file, copied out afterwards:
#   a pipe would stay open after the program ends.
# - No display: the prefix's Graphics driver is "null" (hidden real windows).
# - Sound: DirectSound plays into ALSA's null device (the root's libasound
#   reads a configuration of our own: a root-level /etc/asound.conf is not
#   seen, qemu does not translate that path). With TW_WINE32_AUDIO=none the
#   run has no audio device at all: Wine's ALSA driver is left out,
#   DirectSoundCreate fails and the module runs silent (TW_NO_SOUND_DEVICE
#   tells the tests so).
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: wine32-run.sh PROGRAM.exe [ARG]..." >&2
    exit 2
fi
here=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)
base=${TW_WINE32_DIR:-$(dirname "$here")/build/wine32}
root=$base/root
if [ ! -f "$base/prefix.stamp" ]; then
    echo "wine32-run.sh: no 32-bit Wine in $base; make it first with scripts/wine32-setup" >&2
    exit 1
fi
# The first free slot; the lock stays with this shell until the run is over.
# With every slot taken, the first one is waited for.
slot=0
prefix=$base/prefix
while :; do
    exec 8>"$base/.slot-$slot.lock"
    if flock -n 8; then break; fi
    exec 8>&-
    slot=$((slot + 1))
    prefix=$base/prefix-$slot
    if [ ! -f "$prefix/.ready" ]; then
        slot=0
        prefix=$base/prefix
        exec 8>"$base/.slot-0.lock"
        flock 8
        break
    fi
done
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADERNOEXEC=1
if [ "${TW_WINE32_AUDIO:-}" = none ]; then
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv="
    export TW_NO_SOUND_DEVICE="this run has no audio device (TW_WINE32_AUDIO=none)"
else
    export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$base/alsa-null.conf"
fi

# A second server started while one is up sees it and leaves at once.
/usr/lib/wine/wineserver -p60 </dev/null >/dev/null 2>&1 8>&- || true

out=$(mktemp)
export TW_WINE32_STATUS=$out.status
trap 'rm -f "$out" "$TW_WINE32_STATUS"' EXIT
# Waited for as a background job, so that a kill is no shell message in the
# output.
set +e
qemu-i386 -L "$root" "$root/usr/lib/wine/wine-preloader" "$root/usr/lib/wine/wine" "$@" \
    </dev/null >"$out" 2>&1 8>&- &
wait $! 2>/dev/null
rc=$?
set -e
# The wineserver kills a process still there half a second after its last
# thread ended, which qemu on a loaded machine can overrun: the status the
# program left on its way out (the preload library writes it) is its own.
if [ $rc -eq 137 ] && [ -s "$TW_WINE32_STATUS" ]; then rc=$(($(cat "$TW_WINE32_STATUS") & 255)); fi
# Wine's notice that the root has no FreeType (nothing here draws text
# through GDI) is no output of the program's.
# (sed keeps a last line without its newline as it is)
sed -e '/^Wine cannot find the FreeType font library/d' -e '/^use TrueType fonts please install/d' \
    -e '/^or equal to 2\.0\.5\.$/d' -e '/^http:\/\/www\.freetype\.org$/d' "$out"
exit $rc
