#!/usr/bin/env bash
# Runs every libFuzzer target built in $1 for $2 seconds each, starting from
# the seed corpus kept under tests/fuzz/corpus/<target>/.  New inputs go into
# a scratch folder so the committed corpus stays small.
set -euo pipefail
build=$1; seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$root/tests/fuzz/corpus/${name#fuzz_}"
  scratch=$(mktemp -d)
  echo "== $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -max_len=1048576 -rss_limit_mb=2048 -timeout=30 \
       -print_final_stats=0 "$scratch" $( [ -d "$seeds" ] && echo "$seeds" ) >"$scratch.log" 2>&1; then
    tail -n 40 "$scratch.log"; status=1
  else
    tail -n 1 "$scratch.log"
  fi
  rm -rf "$scratch" "$scratch.log"
done
exit $status
