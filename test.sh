#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (under a virtual X server).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

install_missing_packages
build_into build

export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
"${XVFB_RUN[@]}" ctest --test-dir build --output-on-failure -j2 --timeout 900
