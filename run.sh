#!/usr/bin/env bash
# Installs what is missing, builds, generates the content and plays the production.
# Switches are handed to the program (see ./run.sh --help).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

install_missing_packages "${VERDANTH_PACKAGES[@]}"
# Only the program and its content: a build folder that ./test.sh made keeps its tests, but
# they are not rebuilt here.
build_into build OFF --target verdanth content

cd build
if [ -z "${DISPLAY:-}" ]; then
  # Nothing to show it on: make the production watchable anyway, as a video with its music.
  out="$(cd .. && pwd)/verdanth.mp4"
  echo "No display (DISPLAY is not set): rendering the production to $out under a virtual X server instead."
  SDL_VIDEODRIVER=x11 exec "${XVFB_RUN[@]}" ./verdanth --video "$out" "$@"
fi
exec ./verdanth "$@"
