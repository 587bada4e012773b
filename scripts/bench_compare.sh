#!/usr/bin/env bash
# How much faster (or slower) is the working tree than a git revision? Builds both programs and
# runs their benchmarks on the same windows of the score, alternating (old, new, then new, old,
# ...) in one run, and prints for every scene the mean and 95th-percentile frame times of both
# and their ratio old / new (above 1: the working tree is faster). Timings on a shared machine
# are noisy: compare the ratios of one run, not absolute times of different runs.
#
#   scripts/bench_compare.sh REV [--classic] [--rounds N] [--res W | --size WxH] [--window MS]
#                            [--full] [--stages]
#   scripts/bench_compare.sh --paths [--native] [the same options]
#
# REV --classic: the working tree's program draws the classic way (--classic). --paths: no
# revision; the working tree's program is run classic (--classic, as "old") and the way it
# chooses by itself (as "new"), to compare the two drawing paths of one build; --native lets
# the new side draw at the window's own size. --stages: the stage table of every run
# (--bench=stages) is averaged too and printed side by side after the scenes.
#
# Windows: by default WINDOW ms (3000) of each scene, starting 1 s after its first appearance
# (a scene starts fresh in a window, so the growing scenes are younger than in a full run);
# --full benches the whole production instead. --rounds: how many times each program runs each
# window (default 2). Every run's own table (growth, peak memory, load time) is kept in
# build/bench-compare/.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

[ $# -ge 1 ] || { echo "usage: $0 REV|--paths [--classic] [--native] [--rounds N] [--res W|--size WxH] [--window MS] [--full] [--stages]" >&2; exit 2; }
rev=$1; shift
rounds=2 window=3000 full=0 bench=--bench size_args=(-res:800)
old_args=() new_args=()
[ "$rev" = --paths ] && old_args=(--classic)
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --res) size_args=("-res:$2"); shift 2 ;;
    --size) size_args=(--size "$2"); shift 2 ;;
    --classic) new_args+=(--classic); shift ;;
    --native) new_args+=(--native); shift ;;
    --stages) bench=--bench=stages; shift ;;
    --window) window=$2; shift 2 ;;
    --full) full=1; shift ;;
    *) echo "$0: unknown option $1" >&2; exit 2 ;;
  esac
done

install_missing_packages "${VERDANTH_PACKAGES[@]}" "${VERDANTH_TEST_PACKAGES[@]}" || exit 2
build_into build ON >/dev/null || exit 2
if [ "$rev" = --paths ]; then
  old=$PWD/build/verdanth
else
  old=$(build_revision "$rev") || { echo "$0: cannot build $rev" >&2; exit 2; }
fi
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

results=$(mktemp) stages=$(mktemp)
runs=$PWD/build/bench-compare  # every run's whole table, kept until the next comparison
rm -rf "$runs" && mkdir -p "$runs"
trap 'rm -f "$results" "$stages"' EXIT
round=0
while read -r from to; do
  for r in $(seq "$rounds"); do
    order="old new"
    [ $((round % 2)) = 1 ] && order="new old"
    round=$((round + 1))
    for side in $order; do
      program=$old args=("${old_args[@]}")
      [ $side = new ] && program=$new args=("${new_args[@]}")
      # Scene rows end in six numbers (frames, mean, median, p95, worst, growth).
      (cd build && with_display "$program" "${args[@]}" "$bench" --from "$from" --to "$to" \
         "${size_args[@]}" 2>/dev/null) |
        tee "$runs/$side-$from-$to-$r.txt" |
        awk -v side=$side -v w="$from-$to" 'NF >= 7 && $(NF-5) ~ /^[0-9]+$/ && $(NF-4) ~ /^[0-9.]+$/ {
          name = $1; for (i = 2; i <= NF - 6; i++) name = name " " $i
          print w "\t" name "\t" side "\t" $(NF-4) "\t" $(NF-2) }' >>"$results"
    done
    # Stage rows: the scene in 34 columns, the stage in 22, then frames and ms per frame.
    for side in old new; do
      awk -v side=$side -v w="$from-$to" '/^stages/ { on = 1; next }
        on && NF >= 3 && $NF ~ /^[0-9.]+$/ && $1 != "scene" {
          scene = substr($0, 1, 34); stage = substr($0, 36, 22)
          sub(/ +$/, "", scene); sub(/ +$/, "", stage)
          print w "\t" scene "\t" stage "\t" side "\t" $NF }' "$runs/$side-$from-$to-$r.txt" >>"$stages"
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

if [ -s "$stages" ]; then
  printf "\n%-13s %-28s %-22s %9s %9s %7s\n" window scene stage "old ms" "new ms" ratio
  awk -F'\t' '{ k = $1 "\t" $2 "\t" $3; if (!(k in order)) { order[k] = n++; keys[n - 1] = k }
                ms[k, $4] += $5; runs[k, $4]++ }
    END { for (i = 0; i < n; i++) { k = keys[i]; split(k, kk, "\t")
            o = runs[k, "old"] ? ms[k, "old"] / runs[k, "old"] : 0
            m = runs[k, "new"] ? ms[k, "new"] / runs[k, "new"] : 0
            printf "%-13s %-28s %-22s %9.2f %9.2f %7s\n", kk[1], substr(kk[2], 1, 28), kk[3], o, m,
                   (o > 0 && m > 0) ? sprintf("%.2f", o / m) : "-" } }' "$stages"
fi
