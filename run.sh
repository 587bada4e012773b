#!/usr/bin/env bash
# Installs what is missing, builds, generates the content and plays the production.
# Switches are handed to the program (see ./run.sh --help).
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")"
source scripts/common.sh

install_missing_packages "${VERDANTH_PACKAGES[@]}"
# Only the program and its content: a build folder that ./test.sh made keeps its tests, but
# they are not rebuilt here.
build_into build OFF --target verdanth content

# The program finds its data next to itself, so it runs from the caller's folder: paths given to
# it (--capture DIR, --video FILE, --data DIR) are the caller's.
prog=$PWD/build/verdanth
out=$PWD/verdanth.mp4
cd "$caller"
if [ -z "${DISPLAY:-}" ]; then
  # Nothing to show a window on. A command line with an offline run or an information option
  # of its own gets just that (under a virtual X server where it needs a window); any other
  # is made watchable anyway, as a video with its music.
  mode=play skip=0
  for arg in "$@"; do
    if [ "$skip" -eq 1 ]; then skip=0; continue; fi
    case $arg in
      --capture|--video) mode=offline skip=1 ;;
      --bench|--bench=*) mode=offline ;;
      --print-score|--list-scenes|--help|-h|--version) [ "$mode" = play ] && mode=info ;;
      --size|--every|--from|--to|--fps|--scene|--data) skip=1 ;;
    esac
  done
  case $mode in
    info) exec "$prog" "$@" ;;
    offline) SDL_VIDEODRIVER=x11 exec "${XVFB_RUN[@]}" "$prog" "$@" ;;
  esac
  # The default video is this script's own output: a second run replaces it.
  echo "No display (DISPLAY is not set): rendering the production to $out under a virtual X server instead."
  SDL_VIDEODRIVER=x11 exec "${XVFB_RUN[@]}" "$prog" --video "$out" --overwrite "$@"
fi
exec "$prog" "$@"
