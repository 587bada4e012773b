# Escape and closing the window end the run at once while a burst of mouse motion floods the
# window's event queue (far more events than frames). The run loops, so that it never ends by
# itself: a lost Escape or close keeps it running until the limit.
# It runs on an X server of its own, so that no other test's window is found by its title.
if [ -z "${VERDANTH_PRIVATE_X:-}" ]; then
  VERDANTH_PRIVATE_X=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

# burst WINDOW MOVES: the pointer moved to and fro over the window, a few hundred times a second.
burst() {
  local moves=() i
  for ((i = 0; i < $2; i++)); do
    moves+=(mousemove --window "$1" $((100 + i % 2 * 300)) 200 sleep 0.002)
  done
  xdotool "${moves[@]}"
}

for how in Escape close; do
  start_program "$TMP/$how.out" -nomusic --from 215000 --loop -res:640
  win=$(window_of $PID)
  check "$how: the production's first frame is shown" first_frame $PID "$TMP/$how.out" "$win"
  burst "$win" 1000                  # the queue overflows many times over
  burst "$win" 3000 & mover=$!       # and the motion goes on while the user quits
  if [ "$how" = Escape ]; then xdotool key --window "$win" Escape; else close_window "$win"; fi
  end_status $PID; status=$?
  kill $mover 2>/dev/null; wait $mover 2>/dev/null
  check "$how after a burst of mouse motion ends the run with status 0" [ "$status" -eq 0 ]
done
finish
