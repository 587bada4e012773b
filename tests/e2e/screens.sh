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
start_program "$TMP/near-end" --from 251500 -res:320 -nomusic
end_status $PID "$LIMIT"; status=$?
check "--from 251500 ends by itself with status 0" [ "$status" -eq 0 ]

# Looping: past the end it starts again (the black end gives way to the opening's text),
# until Escape.
not_black() { [ "$(convert "$1" -colorspace gray -format '%[fx:maxima > 0.1]' info:)" = 1 ]; }
drawing_or_gone() { gone "$1" || { shot "$2" "$TMP/now.ppm" && not_black "$TMP/now.ppm"; }; }
start_program "$TMP/loop" --from 252500 --loop -res:320 -nomusic
win=$(window_of $PID)
check "a looping run shows its first frame" first_frame $PID "$TMP/loop" "$win"
poll "$LIMIT" drawing_or_gone $PID "$win"
check "--loop plays on past the end of the score" alive $PID
xdotool key --window "$win" Escape
end_status $PID; status=$?
check "Escape ends a looping run with status 0" [ "$status" -eq 0 ]

# The read-out: while a seek key is held its bar runs along the bottom of the window (the part
# not yet played is a flat grey, 0.45); a capture of the same moment has no such row.
grey_share() {  # IMAGE: share of the bar's row that is the bar's grey
  convert "$1" -crop 760x1+20+583 +repage -fx 'abs(r-0.45)<0.01 && abs(g-0.45)<0.01 && abs(b-0.45)<0.01' \
    -format '%[fx:mean]' info:
}
bar_shown() {
  shot "$1" "$TMP/screen.ppm" && shown=$(grey_share "$TMP/screen.ppm") &&
    awk -v s="$shown" 'BEGIN { exit !(s > 0.3) }'
}
start_program "$TMP/readout" --from 100000 -nomusic
win=$(window_of $PID)
check "the read-out's run shows its first frame" first_frame $PID "$TMP/readout" "$win"
shown=
xdotool keydown --window "$win" Right
poll "$LIMIT" bar_shown "$win"; status=$?
xdotool keyup --window "$win" Right
check "the read-out shows while a seek key is held (bar row $shown grey)" [ "$status" -eq 0 ]
# A tap (down and up at once, most likely between two frames) of space pauses, and the read-out
# stays while paused; a tap of p resumes, and the read-out goes.
bar_gone() { ! bar_shown "$1"; }
poll "$LIMIT" bar_gone "$win"
xdotool key --window "$win" space
check "a tap of space pauses (the read-out shows)" poll "$LIMIT" bar_shown "$win"
xdotool key --window "$win" p
check "a tap of p resumes (the read-out goes)" poll "$LIMIT" bar_gone "$win"
xdotool key --window "$win" Escape
end_status $PID
"$VERDANTH" --capture "$TMP/plain" --from 101000 --to 101001 -nomusic >/dev/null
plain=$(grey_share "$TMP/plain/frame-000000.png")
check "and never in a capture (bar row $plain grey)" awk -v s="$plain" 'BEGIN { exit !(s < 0.05) }'

# --desktop opens at the desktop's size, whatever it is, without switching its mode.
if [ -z "${VERDANTH_ODD_SCREEN:-}" ]; then
  VERDANTH_ODD_SCREEN=1 xvfb-run -a -s "-screen 0 1000x700x24 -noreset" bash -c '
    source "$1" "$2" "$3"
    start_program "$4/desktop" --desktop -nomusic
    win=$(window_of $PID)
    first_frame $PID "$4/desktop" "$win" && xwininfo -id "$win" >"$4/desktop.info"
    xdotool key --window "$win" Escape
    end_status $PID; echo $? >"$4/desktop.status"' _ "$(dirname "$0")/lib.bash" "$VERDANTH" "$BUILD" "$TMP"
  check "--desktop on a 1000 x 700 screen opens a 1000 x 700 window" \
    bash -c "grep -q 'Width: 1000' '$TMP/desktop.info' && grep -q 'Height: 700' '$TMP/desktop.info'"
  check "... and Escape ends it with status 0" [ "$(cat "$TMP/desktop.status" 2>/dev/null)" = 0 ]
fi
finish
