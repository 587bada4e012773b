# Offline capture: frames written, repeatable, black where nothing is scheduled, clean failures.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11

"$VERDANTH" --capture "$TMP/a" --from 251500 --to 252000 --fps 4 -res:320 -nomusic >"$TMP/out"; status=$?
check "a capture exits 0" [ "$status" -eq 0 ]
check "one file per frame" [ "$(ls "$TMP/a" | wc -l)" -eq 2 ]
check "frames are numbered from 0" [ -f "$TMP/a/frame-000000.png" -a -f "$TMP/a/frame-000001.png" ]
check "progress is reported" grep -q "capture: done, 2 frames" "$TMP/out"
check "the frame has the window's size" bash -c "identify '$TMP/a/frame-000000.png' | grep -q ' 320x240 '"
mean=$(convert "$TMP/a/frame-000001.png" -colorspace gray -format '%[fx:mean]' info:)
check "after the score the frame is black (mean $mean)" awk -v m="$mean" 'BEGIN { exit !(m < 0.001) }'

# The opening of the score in one run: the text parts show where they are scheduled.
"$VERDANTH" --capture "$TMP/open" --from 0 --to 15100 --fps 2 -res:320 >/dev/null
for ms in 2000 3500 4500 9000 15000; do
  frame=$(printf "%s/open/frame-%06d.png" "$TMP" $((ms / 500)))
  mean=$(convert "$frame" -colorspace gray -format '%[fx:mean]' info:)
  check "the frame at $ms ms is not blank (mean $mean)" awk -v m="$mean" 'BEGIN { exit !(m > 0.03) }'
done

"$VERDANTH" --capture "$TMP/every" --every 2 --from 2000 --to 2400 --fps 10 -res:320 -nomusic >/dev/null
check "--every 2 writes frames 0 and 2 of 4" [ "$(ls "$TMP/every" | tr '\n' ' ')" = "frame-000000.png frame-000002.png " ]

"$VERDANTH" --capture "$TMP/b" --from 2000 --to 2300 --fps 10 -res:320 >/dev/null
"$VERDANTH" --capture "$TMP/c" --from 2000 --to 2300 --fps 10 -res:320 >/dev/null
check "two captures of one range give identical files" diff -r "$TMP/b" "$TMP/c"

touch "$TMP/file"
"$VERDANTH" --capture "$TMP/file" --to 100 -res:320 -nomusic >/dev/null 2>"$TMP/err"; status=$?
check "a capture into a file (not a folder) fails" [ "$status" -eq 1 ]
check "... saying why" grep -q "not a folder" "$TMP/err"
mkdir "$TMP/ro"; chmod 500 "$TMP/ro"
if [ "$(id -u)" -ne 0 ]; then
  "$VERDANTH" --capture "$TMP/ro" --to 100 -res:320 -nomusic >/dev/null 2>"$TMP/err"; status=$?
  check "an unwritable folder stops the capture with status 1" [ "$status" -eq 1 ]
fi
"$VERDANTH" --capture /proc/verdanth-capture --to 100 -res:320 -nomusic >/dev/null 2>"$TMP/err"; status=$?
check "a folder that cannot be made fails with status 1" [ "$status" -eq 1 ]
check "... with a message" grep -q "cannot create" "$TMP/err"
finish
