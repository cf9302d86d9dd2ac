#!/bin/sh
# Runs one Windows program under Wine, for CTest and the test discovery.
# The program's output passes through files: Wine's background services,
# started by the first program of a prefix, inherit its output and would keep
# CTest's pipes open for as long as they live.
out=$(mktemp) || exit 1
err=$(mktemp) || exit 1
wine "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
