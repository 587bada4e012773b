#!/usr/bin/env bash
# Do two versions draw the same pictures? Captures the same frames with the program of a git
# revision and with the working tree's, and compares them channel value by channel value
# (tools: picture_compare). Every frame is drawn at the full rate, so scenes that grow from frame
# to frame are compared in the state the viewer sees; only every Nth frame is written.
#
#   scripts/compare_pictures.sh REV [--every N] [--fps N] [--from MS] [--to MS] [--res W]
#
# Defaults: the whole production at 60 fps, every 30th frame, 800 x 600. Prints each differing
# frame and a verdict: identical, within tolerance (a mean difference of at most 0.1 of 255 and
# 99.9 % of values within 2), or beyond it. Exit status 0 for the first two, 1 beyond, 2 when
# nothing could be compared. Frames are kept in build/compare-pictures/ until the next run.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

[ $# -ge 1 ] || { echo "usage: $0 REV [--every N] [--fps N] [--from MS] [--to MS] [--res W]" >&2; exit 2; }
rev=$1; shift
every=30 fps=60 from=0 to=253000 res=800
while [ $# -gt 0 ]; do
  case $1 in
    --every) every=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --from) from=$2; shift 2 ;;
    --to) to=$2; shift 2 ;;
    --res) res=$2; shift 2 ;;
    *) echo "$0: unknown option $1" >&2; exit 2 ;;
  esac
done

install_missing_packages "${VERDANTH_PACKAGES[@]}" "${VERDANTH_TEST_PACKAGES[@]}" || exit 2
build_into build ON >/dev/null || exit 2
old=$(build_revision "$rev") || { echo "$0: cannot build $rev" >&2; exit 2; }
out=$PWD/build/compare-pictures
rm -rf "$out" && mkdir -p "$out"
# Both programs read build/'s data: older ones from the folder they start in, newer ones from
# VERDANTH_DATA (a revision's program is built without its content).
export VERDANTH_DATA=$PWD/build SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
for side in old new; do
  program=$old
  [ $side = new ] && program=$PWD/build/verdanth
  echo "capturing with the $side program ($program)"
  (cd build && with_display "$program" --capture "$out/$side" --every "$every" --fps "$fps" \
     --from "$from" --to "$to" "-res:$res" >/dev/null) || { echo "$0: the $side capture failed" >&2; exit 2; }
done
build/tools/picture_compare "$out/old" "$out/new"
