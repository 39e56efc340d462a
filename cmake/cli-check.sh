#!/bin/sh
# Runs a program and checks both its exit status and its output (standard
# output and error together), which ctest's own checks cannot do at once: a
# pass pattern there ignores the status.
#
#   cli-check.sh STATUS PATTERN PROGRAM [ARG]...
#
# PATTERN is an extended regular expression (grep -E) that some line of the
# output must match. A STATUS of "newline" asks for status 0 and an output
# that ends with a newline.
status=$1
pattern=$2
shift 2
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$@" >"$out" 2>&1
rc=$?
cat "$out"
if [ "$status" = newline ]; then
    status=0
    if [ -n "$(tail -c 1 "$out")" ]; then
        echo "cli-check: the output does not end with a newline"
        exit 1
    fi
fi
if [ "$rc" != "$status" ]; then
    echo "cli-check: exit status $rc, want $status"
    exit 1
fi
if ! grep -Eq -- "$pattern" "$out"; then
    echo "cli-check: no line matches: $pattern"
    exit 1
fi
