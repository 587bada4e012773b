#!/usr/bin/env bash
# Makes the README's screenshots: one offline capture of each chosen moment at 1280 x 720, made
# small (640 x 360 JPEG, by ffmpeg) into docs/images/. Uses build/'s program (./run.sh or
# ./test.sh builds it).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

# file name and time in ms
shots=(
  cancerous 40000
  verdanth 100000
  bubbles-of-life 150000
  tree-in-a-box 215000
)

program=$PWD/build/verdanth
[ -x "$program" ] || { echo "$0: no program at $program (run ./run.sh first)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p docs/images
for ((i = 0; i < ${#shots[@]}; i += 2)); do
  name=${shots[i]} at=${shots[i + 1]}
  echo "capturing $name at $at ms"
  with_display "$program" --capture "$work/$name" --from "$at" --to $((at + 1)) --size 1280x720 \
    >/dev/null
  ffmpeg -loglevel error -y -i "$work/$name/frame-000000.png" -vf scale=640:360:flags=area \
    -q:v 4 "docs/images/$name.jpg"
done
ls -l docs/images
