#!/usr/bin/env bash
# Runs both fuzz targets (PNG reading, Ogg opening and decoding) for a fixed budget each and
# reports how far they got. ./test.sh runs this with a few seconds as a smoke test; run it by
# hand with a longer budget:  fuzz/fuzz_all.sh 600
set -euo pipefail
seconds=${1:-300}
here=$(cd "$(dirname "$0")" && pwd)
for target in png ogg; do
  script=$here/run_fuzz.sh
  [ "$target" = ogg ] && script=$here/run_fuzz_ogg.sh
  echo "fuzzing $target for ${seconds}s"
  log=$(mktemp)
  if ! "$script" "$seconds" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz $target: FAILED (crash inputs are under build-fuzz/artifacts*)"
    rm -f "$log"
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  echo "fuzz $target: $runs inputs, no crash"
  rm -f "$log"
done
