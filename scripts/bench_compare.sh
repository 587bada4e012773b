#!/usr/bin/env bash
# How much faster (or slower) is the working tree than a git revision? Builds both programs and
# runs their benchmarks on the same windows of the score, alternating (old, new, then new, old,
# ...) in one run, and prints for every scene the mean and 95th-percentile frame times of both
# and their ratio old / new (above 1: the working tree is faster). Timings on a shared machine
# are noisy: compare the ratios of one run, not absolute times of different runs.
#
#   scripts/bench_compare.sh REV [--rounds N] [--res W] [--window MS] [--full]
#
# Windows: by default WINDOW ms (3000) of each scene, starting 1 s after its first appearance
# (a scene starts fresh in a window, so the growing scenes are younger than in a full run);
# --full benches the whole production instead. --rounds: how many times each program runs each
# window (default 2). Every run's own table (growth, peak memory, load time) is kept in
# build/bench-compare/.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

[ $# -ge 1 ] || { echo "usage: $0 REV [--rounds N] [--res W] [--window MS] [--full]" >&2; exit 2; }
rev=$1; shift
rounds=2 res=800 window=3000 full=0
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --res) res=$2; shift 2 ;;
    --window) window=$2; shift 2 ;;
    --full) full=1; shift ;;
    *) echo "$0: unknown option $1" >&2; exit 2 ;;
  esac
done

install_missing_packages "${VERDANTH_PACKAGES[@]}" "${VERDANTH_TEST_PACKAGES[@]}" || exit 2
build_into build ON >/dev/null || exit 2
old=$(build_revision "$rev") || { echo "$0: cannot build $rev" >&2; exit 2; }
new=$PWD/build/verdanth
# Both programs read build/'s data: older ones from the folder they start in, newer ones from
# VERDANTH_DATA (a revision's program is built without its content).
export VERDANTH_DATA=$PWD/build SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

# One window per scene: "FROM TO" lines, from the score the program prints.
if [ $full = 1 ]; then
  windows="0 253000"
else
  windows=$("$new" --print-score | awk -v w="$window" '
    { split($0, parts, ": "); split(parts[1], t, " "); n = split(parts[2], layers, /\], /)
      for (i = 1; i <= n; i++) {
        name = layers[i]; sub(/ \[[0-9]+\]?$/, "", name)
        if (name == "none" || name ~ /^(fade|fadeOn|fadeOff|blur)\(/ || seen[name]++) continue
        print t[1] + 1000, t[1] + 1000 + w
      } }' | sort -n -u)
fi

results=$(mktemp)
runs=$PWD/build/bench-compare  # every run's whole table, kept until the next comparison
rm -rf "$runs" && mkdir -p "$runs"
trap 'rm -f "$results"' EXIT
round=0
while read -r from to; do
  for r in $(seq "$rounds"); do
    order="old new"
    [ $((round % 2)) = 1 ] && order="new old"
    round=$((round + 1))
    for side in $order; do
      program=$old
      [ $side = new ] && program=$new
      # Scene rows end in six numbers (frames, mean, median, p95, worst, growth).
      (cd build && with_display "$program" --bench --from "$from" --to "$to" "-res:$res" 2>/dev/null) |
        tee "$runs/$side-$from-$to-$r.txt" |
        awk -v side=$side -v w="$from-$to" 'NF >= 7 && $(NF-5) ~ /^[0-9]+$/ && $(NF-4) ~ /^[0-9.]+$/ {
          name = $1; for (i = 2; i <= NF - 6; i++) name = name " " $i
          print w "\t" name "\t" side "\t" $(NF-4) "\t" $(NF-2) }' >>"$results"
    done
    echo "window $from-$to, round $r done" >&2
  done
done <<<"$windows"

printf "%-13s %-34s %9s %9s %7s %9s %9s %7s\n" window scene "old mean" "new mean" ratio "old p95" "new p95" ratio
awk -F'\t' '{ k = $1 "\t" $2; if (!(k in order)) { order[k] = n++; keys[n - 1] = k }
              mean[k, $3] += $4; p95[k, $3] += $5; runs[k, $3]++ }
  END { for (i = 0; i < n; i++) { k = keys[i]; split(k, kk, "\t")
          mo = mean[k, "old"] / runs[k, "old"]; mn = mean[k, "new"] / runs[k, "new"]
          po = p95[k, "old"] / runs[k, "old"]; pn = p95[k, "new"] / runs[k, "new"]
          printf "%-13s %-34s %9.2f %9.2f %7.2f %9.2f %9.2f %7.2f\n", kk[1], kk[2], mo, mn, mo / mn, po, pn, po / pn } }' "$results"
