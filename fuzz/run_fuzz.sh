#!/usr/bin/env bash
# Builds the libFuzzer target for readPngImage with clang (address and undefined-behaviour
# sanitizers) and runs it for a number of seconds, seeded from fuzz/corpus/png.
#   fuzz/run_fuzz.sh [seconds] [extra libFuzzer arguments or input files...]
# Inputs found along the way go to $FUZZ_WORK_DIR/corpus (default build-fuzz/ in the source
# tree), crash inputs to $FUZZ_WORK_DIR/artifacts. Passing files instead of a time runs just
# those inputs: fuzz/run_fuzz.sh 0 build-fuzz/artifacts/crash-*
set -euo pipefail

seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
work=${FUZZ_WORK_DIR:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++}
seeds=$root/fuzz/corpus/png
mkdir -p "$work/corpus" "$work/artifacts"

read -r -a png_flags <<< "$(pkg-config --cflags --libs libpng16)"

if [ ! -d "$seeds" ] || [ -z "$(ls -A "$seeds" 2>/dev/null)" ]; then
    echo "writing seed corpus to $seeds"
    mkdir -p "$seeds"
    "$cxx" -std=c++17 -O1 -Wall -Wextra "$root/fuzz/make_png_seeds.cpp" "${png_flags[@]}" \
        -o "$work/make_png_seeds"
    "$work/make_png_seeds" "$seeds"
fi

echo "building $work/fuzz_png"
"$cxx" -std=c++17 -g -O1 -fno-omit-frame-pointer -Wall -Wextra \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" "$root/fuzz/fuzz_png.cpp" "$root/src/resources/PngImage.cpp" \
    "${png_flags[@]}" -lz -o "$work/fuzz_png"

# A damaged header may declare a 16384 x 16384 image; the decoder's row allocations are
# cheap in a normal process but the sanitizer's allocator touches them, so give it room and a
# smaller quarantine.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64:detect_leaks=1}

if [ $# -gt 0 ] && [ -f "$1" ]; then
    exec "$work/fuzz_png" "$@"
fi
exec "$work/fuzz_png" -max_total_time="$seconds" -dict="$root/fuzz/png.dict" \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 -rss_limit_mb=4096 \
    "$@" "$work/corpus" "$seeds"
