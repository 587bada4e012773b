# Start-up failures: no multitexturing (exit 4), no display (a message and exit 1).
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"

MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture SDL_VIDEODRIVER=x11 "$VERDANTH" -nomusic -res:320 \
  >"$TMP/out" 2>"$TMP/err"; status=$?
check "no multitexturing exits 4" [ "$status" -eq 4 ]
check "no multitexturing prints the message" \
  grep -qx "Sorry, multitexturing support is definitely required to run this demonstration." "$TMP/out"

DISPLAY=:93 SDL_VIDEODRIVER=x11 "$VERDANTH" -nomusic -res:320 >"$TMP/out" 2>"$TMP/err"; status=$?
check "no display exits 1" [ "$status" -eq 1 ]
check "no display reports the SDL error" grep -q "^Error: " "$TMP/err"
check "no display says what is needed" grep -q "X display" "$TMP/err"
finish
