#!/usr/bin/env bash
# Runs a Windows program under wine64 with a prefix of the build folder's own.
#
# Several runs go on at once (ctest -j), each in a prefix of its own: programs
# in one prefix share a wineserver and so their named windows and mappings,
# and two tests' offset servers and "FS2KMAIN" windows would find each other.
# A run takes the first free slot (a lock per slot, held for the run); a slot's
# prefix is a copy of the template prefix, made once under a lock of its own.
#
# The prefixes use Wine's null graphics driver: top-level windows, timers and
# messages work without a display, so no X server is needed.
set -euo pipefail

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

if [ $# -lt 1 ]; then
    echo "usage: wine-run.sh PROGRAM.exe [ARG]..." >&2
    exit 2
fi
exe=$1
shift
build_dir=$(cd "$(dirname "$exe")" && pwd)
export WINEDEBUG=-all
# No prompts to install Mono or Gecko: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# DirectSound needs an ALSA device; a null one plays into nothing.
alsa_conf="$build_dir/alsa-null.conf"
if [ ! -f "$alsa_conf" ]; then
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$alsa_conf.$$"
    mv "$alsa_conf.$$" "$alsa_conf"
fi
export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$alsa_conf"

template="$build_dir/wineprefix"
(
    flock 9
    if [ ! -f "$template/.ready" ]; then
        rm -rf "$template"
        WINEPREFIX="$template" "$wine" wineboot -i >/dev/null 2>&1 || true
        WINEPREFIX="$template" "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
            >/dev/null 2>&1 || true
        WINEPREFIX="$template" "$wineserver" -w || true
        if [ ! -f "$template/system.reg" ]; then
            echo "wine-run.sh: could not create the wine prefix $template" >&2
            exit 1
        fi
        touch "$template/.ready"
    fi
) 9>"$build_dir/.wineprefix.lock"

# The first free slot; the lock stays with this shell until the run is over.
slot=0
while :; do
    exec 8>"$build_dir/.wineslot-$slot.lock"
    if flock -n 8; then break; fi
    exec 8>&-
    slot=$((slot + 1))
done
export WINEPREFIX="$build_dir/wineprefix-$slot"
if [ ! -f "$WINEPREFIX/.ready" ]; then
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX"
fi

set +e
"$wine" "$exe" "$@" 8>&-
rc=$?
set -e
exit $rc
