#!/usr/bin/env bash
# Runs a Windows test program under wine64 with a prefix of its own in the build
# folder. The first start creates the prefix; a lock keeps parallel starts from
# creating it twice.
set -euo pipefail
exe=$1
shift
build_dir=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
(
  flock 9
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w || true
    touch "$WINEPREFIX/.ready"
  fi
) 9>"$build_dir/.wineprefix.lock"
exec "$wine" "$exe" "$@"
