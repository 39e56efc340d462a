#!/usr/bin/env bash
# run-fuzzer.sh FUZZER SEEDS SECONDS [MAX_LEN]: runs a libFuzzer target for a
# bounded time on a scratch copy of its seed corpus; fails on any crash it
# finds, and leaves the input that caused it in the current folder.
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3 max_len=${4:-4096}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$seeds"/* "$work"/
"$fuzzer" -max_total_time="$seconds" -seed=1 -rss_limit_mb=1024 -max_len="$max_len" \
    -artifact_prefix="$PWD/" "$work"
