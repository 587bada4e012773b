# Helpers for the end-to-end tests. Each test script gets the program and the build folder.
set -u
VERDANTH=$1
BUILD=$2
FAILURES=0
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

check() {  # check DESCRIPTION CONDITION...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; FAILURES=$((FAILURES + 1)); fi
}

finish() {
  if [ "$FAILURES" -ne 0 ]; then echo "$FAILURES check(s) failed"; exit 1; fi
  echo "all checks passed"
}

# --- Driving the program's window -----------------------------------------------------------
# Nothing here waits a fixed time: every wait polls for what it needs, up to a limit (seconds)
# meant for a loaded 2-core machine.
LIMIT=${VERDANTH_E2E_LIMIT:-240}

# poll SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds; 1 after SECONDS.
poll() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

alive() { kill -0 "$1" 2>/dev/null; }
gone() { ! alive "$1"; }

# start_program OUT ARGUMENT...: the program in the background (from the current folder), its
# standard output and error into OUT, its process id into $PID.
start_program() {
  local out=$1; shift
  "$VERDANTH" "$@" >"$out" 2>&1 &
  PID=$!
}

# window_of PID: prints the id of the window titled Verdanth once it is there (nothing when
# the program ended first or the limit passed).
find_window() { WIN=$(xdotool search --name '^Verdanth$' 2>/dev/null | head -n 1); [ -n "$WIN" ] || gone "$1"; }
window_of() {
  WIN=
  poll "$LIMIT" find_window "$1"
  echo "$WIN"
}

# shot WINDOW FILE: the window's picture as PPM (pixels only: equal pictures, equal files).
shot() { import -silent -window "$1" ppm:"$2" 2>/dev/null; }

# first_frame PID OUT WINDOW: waits until the production's first frame is on screen. The
# program prints start. when loading is over; the last picture of the loading screen stays
# in the window until the loop's first frame replaces it, so the picture must change after
# that line.
started_or_gone() { gone "$1" || grep -q '^start\.$' "$2"; }
changed_or_gone() { gone "$1" || { shot "$2" "$TMP/frame-now.ppm" && ! cmp -s "$TMP/frame-now.ppm" "$3"; }; }
first_frame() {
  poll "$LIMIT" started_or_gone "$1" "$2" && alive "$1" && shot "$3" "$TMP/frame-start.ppm" || return 1
  poll "$LIMIT" changed_or_gone "$1" "$3" "$TMP/frame-start.ppm" && alive "$1"
}

# play_for SECONDS PID: lets the program run that long; fails at once if it ends meanwhile.
play_for() {
  local end=$((SECONDS + $1))
  while [ "$SECONDS" -lt "$end" ]; do alive "$2" || return 1; sleep 0.2; done
}

# end_status PID [SECONDS]: waits for the program to end (default limit 60 s; then it is
# killed) and returns its exit status.
end_status() {
  poll "${2:-60}" gone "$1" || kill -9 "$1" 2>/dev/null
  wait "$1"
}

# close_window WINDOW: what a window manager sends when the user closes a window.
close_window() {
  python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
d = x.XOpenDisplay(None)
e = Event()
e.xclient.type = 33  # ClientMessage
e.xclient.window = int(sys.argv[1])
e.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
e.xclient.format = 32
e.xclient.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XSendEvent(d, e.xclient.window, 0, 0, ctypes.byref(e))
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
x.XCloseDisplay(d)
PY
}
