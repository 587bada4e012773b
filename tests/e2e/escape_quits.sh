# The real window: its title and size, and Escape ending the run with status 0.
# It runs on an X server of its own, so that no other test's window is found by its title.
if [ -z "${VERDANTH_PRIVATE_X:-}" ]; then
  VERDANTH_PRIVATE_X=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"

SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$VERDANTH" -res:640 >"$TMP/out" 2>&1 &
pid=$!
win=$(timeout 60 xdotool search --sync --name '^Verdanth$' | head -n 1)
check "a window titled Verdanth appears" [ -n "$win" ]
if [ -n "$win" ]; then
  check "the window is 640 x 480" bash -c "xwininfo -id $win | grep -q 'Width: 640' && xwininfo -id $win | grep -q 'Height: 480'"
  # Wait until loading is over and the loop runs (it prints start.), then press Escape.
  for _ in $(seq 1 600); do grep -q "^start\.$" "$TMP/out" && break; sleep 0.1; done
  sleep 1
  xdotool key --window "$win" Escape
fi
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then kill -9 $pid; fi
wait $pid; status=$?
check "Escape ends the run with status 0" [ "$status" -eq 0 ]
check "progress lines were printed" grep -q "^demo init start\.$" "$TMP/out"
finish
