# Earlier output is neither replaced nor mixed with new output unless --overwrite asks for it.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11
one_frame=(--from 2000 --to 2100 --fps 10 -res:320 -nomusic)

mkdir "$TMP/caps"
touch "$TMP/caps/frame-000007.png" "$TMP/caps/notes.txt"
"$VERDANTH" --capture "$TMP/caps" "${one_frame[@]}" >"$TMP/out" 2>"$TMP/err"; status=$?
check "a capture into a folder holding frames is refused with status 2" [ "$status" -eq 2 ]
check "... naming the folder" grep -qF "$TMP/caps already holds 1 frame-*.png file" "$TMP/err"
check "... before anything loads, touching nothing" \
  [ ! -s "$TMP/out" -a "$(ls "$TMP/caps" | tr '\n' ' ')" = "frame-000007.png notes.txt " ]
"$VERDANTH" --capture "$TMP/caps" --overwrite "${one_frame[@]}" >/dev/null; status=$?
check "with --overwrite the old frames go, the new one comes, the rest stays" \
  [ "$status" -eq 0 -a "$(ls "$TMP/caps" | tr '\n' ' ')" = "frame-000000.png notes.txt " ]

echo "an earlier video" >"$TMP/v.mp4"
"$VERDANTH" --video "$TMP/v.mp4" "${one_frame[@]}" >"$TMP/out" 2>"$TMP/err"; status=$?
check "a video onto an existing file is refused with status 2" [ "$status" -eq 2 ]
check "... naming the file" grep -qF "$TMP/v.mp4 exists; add --overwrite" "$TMP/err"
check "... before anything loads, leaving the file" \
  [ ! -s "$TMP/out" -a "$(cat "$TMP/v.mp4")" = "an earlier video" ]
"$VERDANTH" --video "$TMP/v.mp4" --overwrite "${one_frame[@]}" >/dev/null 2>&1; status=$?
frames=$(ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$TMP/v.mp4")
check "with --overwrite it is replaced by the new video (status $status, $frames frame)" \
  [ "$status" -eq 0 -a "$frames" = 1 ]
finish
