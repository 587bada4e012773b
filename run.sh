#!/usr/bin/env bash
# Installs what is missing, builds, generates the content and plays the production.
# Switches are handed to the program (see ./run.sh --help).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

install_missing_packages
build_into build

cd build
if [ -z "${DISPLAY:-}" ]; then
  echo "No display (DISPLAY is not set): Verdanth needs an X display with OpenGL to play." >&2
  exit 1
fi
exec ./verdanth "$@"
