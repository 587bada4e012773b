# Offline video with the music muxed in, and the benchmark's figures.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11

"$VERDANTH" --video "$TMP/v.mp4" --from 3000 --to 6000 --fps 10 -res:320 >/dev/null 2>"$TMP/err"; status=$?
check "a video is made" [ "$status" -eq 0 -a -s "$TMP/v.mp4" ]
check "progress shows the frame count" grep -q "frame 30/30" "$TMP/err"
frames=$(ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$TMP/v.mp4")
check "30 video frames ($frames)" [ "$frames" = 30 ]
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$TMP/v.mp4")
check "about 3 s long ($duration)" awk -v d="$duration" 'BEGIN { exit !(d > 2.9 && d < 3.15) }'
if [ -f music/Qorvanel.ogg ]; then
  check "an audio stream is muxed in" bash -c "ffprobe -v error -show_entries stream=codec_type -of csv=p=0 '$TMP/v.mp4' | grep -q audio"
fi
# Frame 15 of the video is frame 15 of the capture of the same range (4500 ms), give or take
# the encoder's loss.
"$VERDANTH" --capture "$TMP/cap" --from 3000 --to 6000 --fps 10 -res:320 >/dev/null
ffmpeg -v error -i "$TMP/v.mp4" -vf "select=eq(n\,15)" -vframes 1 "$TMP/decoded.png"
diff=$(compare -metric RMSE "$TMP/cap/frame-000015.png" "$TMP/decoded.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
check "the decoded frame matches the capture (RMSE $diff)" awk -v d="$diff" 'BEGIN { exit !(d < 0.03) }'

"$VERDANTH" --bench --from 2000 --to 2500 --fps 20 -res:320 >"$TMP/bench"; status=$?
check "--bench exits 0" [ "$status" -eq 0 ]
check "--bench has its columns" grep -q "frames.*mean ms.*median.*p95.*worst" "$TMP/bench"
check "--bench reports the whole run" grep -Eq "^whole run +10 " "$TMP/bench"
check "--bench reports peak memory" grep -q "peak memory: .* MiB" "$TMP/bench"
check "--bench lists the scene drawn" grep -q "^Hang On With Us" "$TMP/bench"
check "--bench reports the load time" grep -Eq "^load: [0-9.]+ s from start to the first frame" "$TMP/bench"
"$VERDANTH" --bench=stages --from 2000 --to 2500 --fps 20 -res:320 >"$TMP/stages"
check "--bench=stages lists the text scene's stages" grep -Eq "^Hang On With Us +text +10 " "$TMP/stages"
"$VERDANTH" --bench=json --from 2000 --to 2500 --fps 20 -res:320 >"$TMP/bench.json"
check "--bench=json is JSON with every figure" python3 -c "
import json,sys
d=json.load(open('$TMP/bench.json'))
t=d['total']
assert t['frames']==10 and all(k in t for k in ('mean_ms','median_ms','p95_ms','worst_ms'))
assert d['peak_memory_kib']>0 and d['scenes'][0]['name']=='Hang On With Us'
assert d['load_ms']>0
"
finish
