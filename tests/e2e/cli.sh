# The command line without a window: help, version, usage errors, the printed score.
source "$(dirname "$0")/lib.bash" "$@"

out=$("$VERDANTH" --help); status=$?
check "--help exits 0" [ "$status" -eq 0 ]
check "--help shows the usage" grep -q "Usage: verdanth" <<<"$out"
out=$("$VERDANTH" --version); status=$?
check "--version exits 0 and names the program" [ "$status" -eq 0 -a "${out%% *}" = verdanth ]

"$VERDANTH" --fps 0 --capture "$TMP/x" >/dev/null 2>"$TMP/err"; status=$?
check "a bad --fps exits 2" [ "$status" -eq 2 ]
check "a bad --fps says why" grep -q -- "--fps" "$TMP/err"
"$VERDANTH" --no-such-option >/dev/null 2>"$TMP/err"; status=$?
check "an unknown long option exits 2 with a message" [ "$status" -eq 2 ] 
check "the message names it" grep -q "no-such-option" "$TMP/err"
for bad in "--size 10x10" "--size wide" "--from -5" "--fps 30" "--every 2" "--from 253000" \
           "--to 256000 --video $TMP/v.mp4"; do
  "$VERDANTH" $bad >/dev/null 2>"$TMP/err"; status=$?
  check "$bad exits 2 with a message naming the option" bash -c "[ $status -eq 2 ] && grep -q -- '${bad%% *}' '$TMP/err'"
done

for video in "$TMP/v.avi" "$TMP/no-folder/v.mp4"; do
  "$VERDANTH" --video "$video" -res:320 >"$TMP/out" 2>"$TMP/err"; status=$?
  check "--video $video is refused at once: status 2, one line, nothing loaded" \
    [ "$status" -eq 2 -a "$(wc -l <"$TMP/err")" -eq 1 -a ! -s "$TMP/out" ]
done

no_display='verdanth: no display: DISPLAY is not set; render a video with `./run.sh` or under `xvfb-run`'
for mode in "" "--capture $TMP/c" "--video $TMP/v.mp4" "--bench"; do
  env -u DISPLAY -u SDL_VIDEODRIVER "$VERDANTH" $mode -res:320 -nomusic >"$TMP/out" 2>"$TMP/err"
  status=$?
  check "without a display '${mode%% *}' says so in one line, status 1" \
    [ "$status" -eq 1 -a "$(cat "$TMP/err")" = "$no_display" -a ! -s "$TMP/out" ]
done

(cd "$TMP" && env -u DISPLAY "$VERDANTH" --print-score >"$TMP/score"); status=$?
check "--print-score runs without a display" [ "$status" -eq 0 ]
check "--print-score prints 35 intervals" [ "$(wc -l <"$TMP/score")" -eq 35 ]
check "the first interval" grep -qx "0 3000: Hang On With Us \[0\]" "$TMP/score"
check "the busiest interval" grep -qx "13000 13500: Pre Cooked Thoughts \[0\], Funky Stripes \[1\], fadeOn(Can You Taste The Beat?) \[3\]" "$TMP/score"
check "the end is black" grep -qx "251000 253000: none" "$TMP/score"
finish
