#!/bin/bash
# Prints the measurable bars of the generated content (images, fonts, music) of a build folder.
# Usage: tools/check_content.sh BUILD_DIR
# Exit status 0 when every bar is met.
set -u
build=${1:?usage: $0 BUILD_DIR}
music="$build/music/Qorvanel.ogg"
check="$build/tools/content_check"
failed=0

report() {  # ok-flag, name, detail
    if [ "$1" = 1 ]; then printf 'ok    %-48s %s\n' "$2" "$3"; else printf 'FAIL  %-48s %s\n' "$2" "$3"; failed=$((failed + 1)); fi
}
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v != "" && v >= lo && v <= hi) }'; }

echo "== music: $music"
if [ ! -f "$music" ]; then
    report 0 "music file exists" "$music missing"
else
    duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$music")
    within "$duration" 253 100000 && ok=1 || ok=0
    report $ok "length >= 253 s (ffprobe)" "$duration s"

    loud=$(ffmpeg -hide_banner -nostats -i "$music" -af ebur128=peak=true -f null - 2>&1 | sed -n '/Summary:/,$p')
    lufs=$(echo "$loud" | awk '/ I:/ {print $2}')
    lra=$(echo "$loud" | awk '/ LRA:/ {print $2}')
    peak=$(echo "$loud" | awk '/ Peak:/ {print $2}')
    within "$lufs" -16 -12 && ok=1 || ok=0
    report $ok "integrated loudness -16 .. -12 LUFS" "$lufs LUFS"
    within "$peak" -200 -1 && ok=1 || ok=0
    report $ok "true peak <= -1 dBTP" "$peak dBTP"
    within "$lra" 4 10 && ok=1 || ok=0
    report $ok "loudness range 4 .. 10 LU" "$lra LU"

    stats=$(ffmpeg -hide_banner -nostats -i "$music" \
        -af astats=measure_perchannel=none:measure_overall=DC_offset+Peak_level+Flat_factor -f null - 2>&1)
    dc=$(echo "$stats" | awk -F': ' '/DC offset/ {print $2}' | tail -1)
    flat=$(echo "$stats" | awk -F': ' '/Flat factor/ {print $2}' | tail -1)
    within "$dc" -0.001 0.001 && ok=1 || ok=0
    report $ok "DC offset below 0.001" "$dc"
    within "$flat" 0 0 && ok=1 || ok=0
    report $ok "no clipping (flat factor 0)" "$flat"

    "$check" audio "$music" || failed=$((failed + $?))
fi

echo "== images: $build/images"
"$check" images "$build/images" || failed=$((failed + $?))

echo "== $failed bar(s) missed"
[ "$failed" -eq 0 ]
