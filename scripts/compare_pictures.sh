#!/usr/bin/env bash
# Do two versions draw the same pictures? Captures the same frames with the program of a git
# revision and with the working tree's, and compares them channel value by channel value
# (tools: picture_compare). Every frame is drawn at the full rate, so scenes that grow from frame
# to frame are compared in the state the viewer sees; only every Nth frame is written.
#
#   scripts/compare_pictures.sh REV [--classic] [--every N] [--fps N] [--from MS] [--to MS]
#                               [--res W | --size WxH]
#   scripts/compare_pictures.sh --paths [the same options]
#
# REV --classic: the working tree's program draws the classic way (--classic), so that a
# revision from before the fused path is compared with the classic path of today. --paths: no
# revision; the working tree's program is run twice, classic (--classic, as "old") and the way
# it chooses by itself (as "new"), to compare the two drawing paths of one build.
#
# Defaults: the whole production at 60 fps, every 30th frame, 800 x 600. Prints each differing
# frame and a verdict: identical, within tolerance (a mean difference of at most 0.1 of 255 and
# 99.9 % of values within 2 over all frames, and no single frame worse than a mean of 0.3 or
# below 99.5 % within 2), or beyond it. Exit status 0 for the first two, 1 beyond, 2 when
# nothing could be compared. Frames are kept in build/compare-pictures/ until the next run.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

[ $# -ge 1 ] || { echo "usage: $0 REV|--paths [--classic] [--every N] [--fps N] [--from MS] [--to MS] [--res W|--size WxH]" >&2; exit 2; }
rev=$1; shift
every=30 fps=60 from=0 to=253000 size_args=(-res:800)
old_args=() new_args=()
if [ "$rev" = --paths ]; then
  old_args=(--classic)
fi
while [ $# -gt 0 ]; do
  case $1 in
    --classic) new_args=(--classic); shift ;;
    --size) size_args=(--size "$2"); shift 2 ;;
    --every) every=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --from) from=$2; shift 2 ;;
    --to) to=$2; shift 2 ;;
    --res) size_args=("-res:$2"); shift 2 ;;
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
out=$PWD/build/compare-pictures
rm -rf "$out" && mkdir -p "$out"
# Both programs read build/'s data: older ones from the folder they start in, newer ones from
# VERDANTH_DATA (a revision's program is built without its content).
export VERDANTH_DATA=$PWD/build SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
for side in old new; do
  program=$old args=("${old_args[@]}")
  [ $side = new ] && program=$PWD/build/verdanth args=("${new_args[@]}")
  echo "capturing with the $side program ($program ${args[*]})"
  (cd build && with_display "$program" "${args[@]}" --capture "$out/$side" --every "$every" \
     --fps "$fps" --from "$from" --to "$to" "${size_args[@]}" >/dev/null) ||
    { echo "$0: the $side capture failed" >&2; exit 2; }
done
build/tools/picture_compare "$out/old" "$out/new" | tee "$out/compare.txt"
status=${PIPESTATUS[0]}
# Lines of differing frames: "frame-N.png: K values differ, mean M, P % within 2, largest L".
worst=$(awk '/^frame-/ && ($6 + 0 > 0.3 || $7 + 0 < 99.5) { n++ } END { print n + 0 }' "$out/compare.txt")
if [ "$worst" -gt 0 ]; then
  echo "$worst frame(s) beyond the limit for a single frame (mean 0.3, 99.5 % within 2)"
  [ "$status" -eq 0 ] && status=1
fi
exit "$status"
