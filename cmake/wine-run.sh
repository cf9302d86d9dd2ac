#!/bin/sh
# Runs one Windows program under Wine, for CTest and the test discovery.
# The program's output passes through files: Wine's background services,
# started by the first program of a prefix, inherit its output and would keep
# CTest's pipes open for as long as they live.
# Now and then Wine ends at start-up without running the program at all (no
# output, a failure status); that launch is tried once more. A program that
# ran and failed always prints something, so its failure stands.
out=$(mktemp) || exit 1
err=$(mktemp) || exit 1
for attempt in 1 2; do
  wine "$@" >"$out" 2>"$err" </dev/null
  status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ]; then
    break
  fi
  if [ "$attempt" -eq 1 ]; then
    echo "wine-run: no output and status $status from the first launch; launching again" >&2
  fi
done
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
