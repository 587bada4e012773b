#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (under a virtual X server).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

install_missing_packages "${VERDANTH_PACKAGES[@]}" "${VERDANTH_TEST_PACKAGES[@]}"
build_into build ON

export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1

# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer (with leak
# checking).
if [ ! -f build-asan/CMakeCache.txt ]; then
  cmake -S . -B build-asan -DVERDANTH_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build build-asan -j"$(nproc)" --target unit_tests
echo "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer:"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 build-asan/tests/unit_tests --gtest_brief=1

# A short smoke run of both fuzz targets (fuzz/fuzz_all.sh SECONDS runs them for longer).
fuzz/fuzz_all.sh 5

"${XVFB_RUN[@]}" ctest --test-dir build --output-on-failure -j2 --timeout 900
