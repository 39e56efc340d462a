#!/usr/bin/env bash
# Runs a test program with every host on the shipping DLL (TARNWICK_MODULE).
# While the DLL is not built the run is skipped (exit 77), saying why; with
# TW_REQUIRE_SHIPPING_DLL set, as in CI, that is a failure instead.
#
#   run-on-shipping-dll.sh DLL PROGRAM [ARG]...    (PROGRAM may be an emulator)
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: run-on-shipping-dll.sh DLL PROGRAM [ARG]..." >&2
    exit 2
fi
dll=$1
shift
if [ ! -f "$dll" ]; then
    if [ -n "${TW_REQUIRE_SHIPPING_DLL:-}" ]; then
        echo "run-on-shipping-dll.sh: $dll is missing (the win32 build must come first)" >&2
        exit 1
    fi
    echo "skipped: $dll is not built; build the win32 preset first:"
    echo "    cmake --preset win32 && cmake --build --preset win32"
    exit 77
fi
export TARNWICK_MODULE=$dll
exec "$@"
