# The real-time run with music (SDL's dummy audio driver) plays the whole 253 s and ends by
# itself with status 0.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"

start=$(date +%s)
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy timeout 420 "$VERDANTH" -res:320 >"$TMP/out" 2>&1; status=$?
elapsed=$(( $(date +%s) - start ))
check "the run ends by itself with status 0" [ "$status" -eq 0 ]
check "it lasted the whole score (${elapsed} s)" [ "$elapsed" -ge 250 ]
check "the music was found" bash -c "! grep -q 'WARNING: Music file' '$TMP/out'"
check "start-up printed its progress lines" bash -c "grep -q '^demo init start\.$' '$TMP/out' && grep -q '^start\.$' '$TMP/out'"
finish
