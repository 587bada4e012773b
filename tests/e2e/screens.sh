# Today's screens: any window size (a wider view, not a stretched one), 1080p video, the
# desktop's size, starting anywhere, looping, and the read-out while seeking.
# It runs on an X server of its own, so that no other test's window is found by its title.
if [ -z "${VERDANTH_PRIVATE_X:-}" ]; then
  VERDANTH_PRIVATE_X=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }

# A 16:9 frame is a wider view of the same moment: its middle is the 4:3 frame, and it is not
# the 4:3 frame stretched.
for ms in 15500 100000; do
  "$VERDANTH" --capture "$TMP/wide$ms" --size 960x540 --from $ms --to $((ms + 1)) >/dev/null
  "$VERDANTH" --capture "$TMP/narrow$ms" --size 720x540 --from $ms --to $((ms + 1)) >/dev/null
  check "a 960x540 capture has that size" bash -c "identify '$TMP/wide$ms/frame-000000.png' | grep -q ' 960x540 '"
  convert "$TMP/wide$ms/frame-000000.png" -crop 720x540+120+0 +repage "$TMP/middle.png"
  convert "$TMP/narrow$ms/frame-000000.png" -resize '960x540!' "$TMP/stretched.png"
  same=$(rmse "$TMP/middle.png" "$TMP/narrow$ms/frame-000000.png")
  stretched=$(rmse "$TMP/stretched.png" "$TMP/wide$ms/frame-000000.png")
  check "at $ms ms the middle of 16:9 is the 4:3 view (RMSE $same, stretched $stretched)" \
    awk -v a="$same" -v b="$stretched" 'BEGIN { exit !(a < 0.08 && b > 2 * a + 0.05) }'
done

# The upload-ready video: 1920 x 1080 at 60 frames a second, with the music.
"$VERDANTH" --video "$TMP/hd.mp4" --size 1920x1080 --from 100000 --to 100500 >/dev/null 2>"$TMP/err"; status=$?
check "a 1920x1080 video is made" [ "$status" -eq 0 -a -s "$TMP/hd.mp4" ]
probe() { ffprobe -v error -select_streams v -show_entries "stream=$1" -of csv=p=0 "$TMP/hd.mp4"; }
check "it is 1920 x 1080 ($(probe width,height))" [ "$(probe width,height)" = "1920,1080" ]
check "at 60 frames a second ($(probe r_frame_rate))" [ "$(probe r_frame_rate)" = "60/1" ]
frames=$(ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$TMP/hd.mp4")
check "with the 30 frames asked for ($frames)" [ "$frames" = 30 ]
if [ -f music/Qorvanel.ogg ]; then
  check "and the music" bash -c "ffprobe -v error -show_entries stream=codec_type -of csv=p=0 '$TMP/hd.mp4' | grep -q audio"
fi

# Starting near the end, the real-time run ends by itself.
start=$(date +%s)
timeout 60 "$VERDANTH" --from 251500 -res:320 -nomusic >/dev/null 2>&1; status=$?
check "--from 251500 ends by itself with status 0 ($(( $(date +%s) - start )) s)" [ "$status" -eq 0 ]

# Waits for a window titled Verdanth and for the main loop (it prints start.); prints its id.
window_of() {
  local win
  win=$(timeout 60 xdotool search --sync --name '^Verdanth$' | head -n 1)
  for _ in $(seq 1 600); do grep -q "^start\.$" "$1" && break; sleep 0.1; done
  echo "$win"
}
ends_with_escape() {  # PID WINDOW: Escape, then the status
  xdotool key --window "$2" Escape
  for _ in $(seq 1 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && kill -9 "$1"
  wait "$1"
}

# Looping: past the end it starts again, until Escape.
"$VERDANTH" --from 252500 --loop -res:320 -nomusic >"$TMP/loop" 2>&1 &
pid=$!
win=$(window_of "$TMP/loop")
sleep 3
check "--loop plays on past the end of the score" kill -0 $pid
ends_with_escape $pid "$win"; status=$?
check "Escape ends a looping run with status 0" [ "$status" -eq 0 ]

# The read-out: after a seek key its bar runs along the bottom of the window (the part not yet
# played is a flat grey, 0.45); a capture of the same moment has no such row.
grey_share() {  # IMAGE: share of the bar's row that is the bar's grey
  convert "$1" -crop 760x1+20+583 +repage -fx 'abs(r-0.45)<0.01 && abs(g-0.45)<0.01 && abs(b-0.45)<0.01' \
    -format '%[fx:mean]' info:
}
"$VERDANTH" --from 100000 -nomusic >"$TMP/readout" 2>&1 &
pid=$!
win=$(window_of "$TMP/readout")
xdotool keydown --window "$win" Right; sleep 0.4; xdotool keyup --window "$win" Right
import -window root -crop 800x600+0+0 +repage "$TMP/screen.png"
ends_with_escape $pid "$win"
"$VERDANTH" --capture "$TMP/plain" --from 101000 --to 101001 -nomusic >/dev/null
shown=$(grey_share "$TMP/screen.png")
plain=$(grey_share "$TMP/plain/frame-000000.png")
check "the read-out shows after a seek key (bar row $shown grey)" awk -v s="$shown" 'BEGIN { exit !(s > 0.3) }'
check "and never in a capture (bar row $plain grey)" awk -v s="$plain" 'BEGIN { exit !(s < 0.05) }'

# --desktop opens at the desktop's size, whatever it is, without switching its mode.
if [ -z "${VERDANTH_ODD_SCREEN:-}" ]; then
  VERDANTH_ODD_SCREEN=1 xvfb-run -a -s "-screen 0 1000x700x24 -noreset" bash -c '
    "$1" --desktop -nomusic >"$2/desktop" 2>&1 &
    pid=$!
    win=$(timeout 60 xdotool search --sync --name "^Verdanth$" | head -n 1)
    for _ in $(seq 1 600); do grep -q "^start\.$" "$2/desktop" && break; sleep 0.1; done
    xwininfo -id "$win" >"$2/desktop.info"
    xdotool key --window "$win" Escape
    for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && kill -9 $pid
    wait $pid; echo $? >"$2/desktop.status"' _ "$VERDANTH" "$TMP"
  check "--desktop on a 1000 x 700 screen opens a 1000 x 700 window" \
    bash -c "grep -q 'Width: 1000' '$TMP/desktop.info' && grep -q 'Height: 700' '$TMP/desktop.info'"
  check "... and Escape ends it with status 0" [ "$(cat "$TMP/desktop.status" 2>/dev/null)" = 0 ]
fi
finish
