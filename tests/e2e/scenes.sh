# Scenes by name: the listing, and runs that start where a scene starts.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

(cd "$TMP" && env -u DISPLAY "$VERDANTH" --list-scenes >"$TMP/list"); status=$?
check "--list-scenes exits 0 without a display" [ "$status" -eq 0 ]
check "it lists the 16 scenes" [ "$(grep -cE '^ +[0-9]+ +[0-9]+  ' "$TMP/list")" -eq 16 ]
check "each with its start and end" grep -qE "^ +164500 +191000  End Scroll$" "$TMP/list"
check "the last one is the End" bash -c "tail -n 1 '$TMP/list' | grep -qE '^ +227000 +251000  End$'"

"$VERDANTH" --capture "$TMP/cap" --scene "END SCROLL" --to 164600 --fps 10 -res:320 -nomusic >"$TMP/out"
check "an offline run starts where the scene starts" grep -q "frame 1 of 1 (164500 ms)" "$TMP/out"

"$VERDANTH" --scene can >/dev/null 2>"$TMP/err"; status=$?
check "an ambiguous name is status 2 with the matches" \
  bash -c "[ $status -eq 2 ] && grep -qF 'Can You Taste The Beat?, Cancerous' '$TMP/err'"
"$VERDANTH" --scene nowhere >/dev/null 2>"$TMP/err"; status=$?
check "an unknown name is status 2 and says so" \
  bash -c "[ $status -eq 2 ] && grep -qF 'no scene is called \"nowhere\"' '$TMP/err'"

# The real-time run starts at the scene and ends at --to, 1.5 s later: from the beginning it
# would take almost three minutes.
timeout 120 "$VERDANTH" --scene "end s" --to 166000 -res:320 -nomusic >"$TMP/out" 2>&1; status=$?
check "the real-time run starts at the scene and ends by itself at --to (status $status)" \
  [ "$status" -eq 0 ]
finish
