# The real window: its title and size, and Escape ending the run with status 0.
# It runs on an X server of its own, so that no other test's window is found by its title.
if [ -z "${VERDANTH_PRIVATE_X:-}" ]; then
  VERDANTH_PRIVATE_X=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

start_program "$TMP/out" -res:640
win=$(window_of $PID)
check "a window titled Verdanth appears" [ -n "$win" ]
if [ -n "$win" ]; then
  check "the window is 640 x 480" bash -c "xwininfo -id $win | grep -q 'Width: 640' && xwininfo -id $win | grep -q 'Height: 480'"
  check "the production's first frame is shown" first_frame $PID "$TMP/out" "$win"
  xdotool key --window "$win" Escape
fi
end_status $PID; status=$?
check "Escape ends the run with status 0" [ "$status" -eq 0 ]
check "progress lines were printed" grep -q "^demo init start\.$" "$TMP/out"
finish
