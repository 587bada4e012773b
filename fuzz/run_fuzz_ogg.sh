#!/usr/bin/env bash
# Builds the libFuzzer target for the sound layer's Ogg opening and decoding with clang
# (address and undefined-behaviour sanitizers) and runs it for a number of seconds, seeded from
# fuzz/corpus/ogg.
#   fuzz/run_fuzz_ogg.sh [seconds] [extra libFuzzer arguments or input files...]
# Inputs found along the way go to $FUZZ_WORK_DIR/corpus-ogg (default build-fuzz/), crash
# inputs to $FUZZ_WORK_DIR/artifacts-ogg. Passing files instead of a time runs just those.
set -euo pipefail

seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
work=${FUZZ_WORK_DIR:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++}
seeds=$root/fuzz/corpus/ogg
mkdir -p "$work/corpus-ogg" "$work/artifacts-ogg"

read -r -a enc_flags <<< "$(pkg-config --cflags --libs vorbisenc vorbisfile vorbis ogg)"
read -r -a lib_flags <<< "$(pkg-config --cflags --libs vorbisfile vorbis ogg kissfft-float sdl)"

if [ ! -d "$seeds" ] || [ -z "$(ls -A "$seeds" 2>/dev/null)" ]; then
    echo "writing seed corpus to $seeds"
    mkdir -p "$seeds"
    "$cxx" -std=c++17 -O1 -Wall -Wextra -I"$root/tools/lib" "$root/fuzz/make_ogg_seeds.cpp" \
        "$root/tools/lib/OggWriter.cpp" "${enc_flags[@]}" -lm -o "$work/make_ogg_seeds"
    "$work/make_ogg_seeds" "$seeds"
fi

if [ ! -x "$work/fuzz_ogg" ] || [ -n "$(find "$root/fuzz/fuzz_ogg.cpp" "$root/src/engine/SoundLayer.cpp" \
        "$root/src/engine/SoundLayer.h" -newer "$work/fuzz_ogg")" ]; then
    echo "building $work/fuzz_ogg"
    "$cxx" -std=c++17 -g -O1 -fno-omit-frame-pointer -Wall -Wextra \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$root/src" "$root/fuzz/fuzz_ogg.cpp" "$root/src/engine/SoundLayer.cpp" \
        "${lib_flags[@]}" -lm -o "$work/fuzz_ogg"
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
if [ $# -gt 0 ] && [ -f "$1" ]; then
    exec "$work/fuzz_ogg" "$@"
fi
exec "$work/fuzz_ogg" -max_total_time="$seconds" -artifact_prefix="$work/artifacts-ogg/" \
    -print_final_stats=1 -rss_limit_mb=4096 -max_len=65536 "$@" "$work/corpus-ogg" "$seeds"
