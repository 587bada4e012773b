# The real-time run with music (SDL's dummy audio driver) plays the whole 253 s and ends by
# itself with status 0.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

start_program "$TMP/out" -res:320
poll "$LIMIT" started_or_gone $PID "$TMP/out"
start=$SECONDS
# The score plus a margin for a loaded machine; a run that never ends is killed.
end_status $PID $((253 + 150)); status=$?
elapsed=$((SECONDS - start))
check "the run ends by itself with status 0" [ "$status" -eq 0 ]
check "it lasted the whole score from start. (${elapsed} s)" [ "$elapsed" -ge 248 ]
check "the music was found" bash -c "! grep -q 'WARNING: Music file' '$TMP/out'"
check "start-up printed its progress lines" bash -c "grep -q '^demo init start\.$' '$TMP/out' && grep -q '^start\.$' '$TMP/out'"
finish
