#!/usr/bin/env bash
# Runs a Windows program under wine64 with a prefix of its own in the program's
# build folder. The first start creates the prefix (several seconds); a lock
# keeps parallel starts from creating it twice or using it half-made.
#
# Without an X display, windows cannot be created, so the run gets a virtual
# one from xvfb-run.
set -euo pipefail

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

if [ -z "${DISPLAY:-}" ] && [ -z "${TW_WINE_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
    export TW_WINE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$(readlink -f "${BASH_SOURCE[0]}")" "$@"
fi

if [ $# -lt 1 ]; then
    echo "usage: wine-run.sh PROGRAM.exe [ARG]..." >&2
    exit 2
fi
exe=$1
shift
build_dir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX="$build_dir/wineprefix"
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

(
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
        "$wine" wineboot -i >/dev/null 2>&1 || true
        "$wineserver" -w || true
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine-run.sh: could not create the wine prefix $WINEPREFIX" >&2
            exit 1
        fi
        touch "$WINEPREFIX/.ready"
    fi
) 9>"$build_dir/.wineprefix.lock"

set +e
"$wine" "$exe" "$@"
rc=$?
set -e
# Wine's desktop process, shared by every program in the prefix, holds on to
# this display: let the prefix go idle before xvfb-run takes the display away.
if [ -n "${TW_WINE_XVFB:-}" ]; then "$wineserver" -w || true; fi
exit $rc
