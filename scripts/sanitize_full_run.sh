#!/usr/bin/env bash
# The whole production under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer:
# builds the program (Debug, -DVERDANTH_SANITIZE=ON; default folder build-asan/, as ./test.sh), renders every frame
# of the 253 s offline at a low rate with the generated images/ and music/ (VERDANTH_DATA), then
# starts it in real time (loading thread, music clock) and ends it with Escape.
# Reports clean or not; the exit status is 0 only when clean.
#
#   scripts/sanitize_full_run.sh [--fps N] [--res W] [--data DIR] [--build DIR] [--no-play]
#
# --data: a folder holding images/ and music/ (default: build/ if it has them, otherwise the
# content is generated into the sanitizer build folder). Logs go to BUILD/sanitize-logs/.
# Leaks accepted at exit are listed in scripts/lsan.supp, with the reason for each.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
source scripts/common.sh

fps=2
res=320
data=
build=build-asan  # the folder ./test.sh builds its sanitized unit tests in
play=1
while [ $# -gt 0 ]; do
  case $1 in
    --fps) fps=$2; shift 2 ;;
    --res) res=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --no-play) play=0; shift ;;
    *) echo "usage: $0 [--fps N] [--res W] [--data DIR] [--build DIR] [--no-play]" >&2; exit 2 ;;
  esac
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DVERDANTH_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
fi
begin=$(date +%s)
cmake --build "$build" -j2 --target verdanth || exit 1
if [ -z "$data" ]; then
  if [ -d build/images ] && [ -f build/music/Qorvanel.ogg ]; then
    data=build
  else
    cmake --build "$build" -j2 --target content || exit 1
    data=$build
  fi
fi
data=$(cd "$data" && pwd)
program=$ROOT/$build/verdanth
# Driver modules (Mesa's DRI driver, the GLX vendor library) are unloaded when the X display
# closes, before the exit-time leak check; their allocations would then be reported from an
# "<unknown module>" that no suppression can name. The shim keeps every module loaded.
shim=$ROOT/$build/keep_modules.so
cc -shared -fPIC -O2 -o "$shim" scripts/keep_modules.c || exit 1
echo "build: $(($(date +%s) - begin)) s; data from $data"

logs=$ROOT/$build/sanitize-logs
rm -rf "$logs"
mkdir -p "$logs"
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT

# The sanitized program lies in a folder that may hold no data of its own.
export VERDANTH_DATA=$data SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
# log_path: one report file per process (pid appended), read back below.
export ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0:abort_on_error=0:log_path=$logs/asan:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/ubsan"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=1"

x=()
[ -z "${DISPLAY:-}" ] && x=("${XVFB_RUN[@]}")

status=0
cd "$run"
begin=$(date +%s)
"${x[@]}" env LD_PRELOAD="$shim" "$program" --capture "$run/frames" --fps "$fps" -res:"$res" >"$logs/capture.out" 2>"$logs/capture.err"
capture_status=$?
frames=$(ls "$run/frames" 2>/dev/null | wc -l)
rm -rf "$run/frames"
echo "offline capture of 0 to 253000 ms at $fps fps, -res:$res: exit $capture_status, $frames frames, $(($(date +%s) - begin)) s"
[ "$capture_status" -eq 0 ] || status=1

if [ "$play" -eq 1 ]; then
  # Real time: the loading screen on its own thread and context, a few seconds of the music
  # clock, Escape. The process ends by exit() there, without teardown.
  begin=$(date +%s)
  "${x[@]}" bash -c '
    LD_PRELOAD="$2" "$0" -res:'"$res"' >"$1/play.out" 2>"$1/play.err" &
    pid=$!
    win=$(timeout 120 xdotool search --sync --name "^Verdanth$" | head -n 1)
    for _ in $(seq 1 1200); do grep -q "^start\.$" "$1/play.out" && break; sleep 0.1; done
    sleep 5
    [ -n "$win" ] && xdotool key --window "$win" Escape
    for _ in $(seq 1 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && kill -9 $pid
    wait $pid' "$program" "$logs" "$shim"
  play_status=$?
  echo "real-time run with Escape: exit $play_status, $(($(date +%s) - begin)) s"
  [ "$play_status" -eq 0 ] || status=1
fi

findings=$(cat "$logs"/asan.* "$logs"/ubsan.* "$logs"/*.err 2>/dev/null |
  grep -E "ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: UndefinedBehaviorSanitizer" || true)
# The accepted leaks, per process: "count bytes rule" rows after "Suppressions used:".
budget=4096
for log in "$logs"/asan.*; do
  [ -f "$log" ] || continue
  rows=$(awk '/Suppressions used:/ { on = 1; next } on && /^ *[0-9]+ +[0-9]+ / { print } on && /^$/ { on = 0 }' "$log")
  [ -n "$rows" ] || continue
  echo "accepted leaks at exit, process ${log##*.} (count, bytes, rule in scripts/lsan.supp):"
  echo "$rows"
  bytes=$(echo "$rows" | awk '{ s += $2 } END { print s + 0 }')
  if [ "$bytes" -gt "$budget" ]; then
    findings="$findings
accepted leaks of process ${log##*.} total $bytes bytes, over the budget of $budget"
  fi
done
if [ -n "$findings" ]; then
  echo "$findings"
  echo "sanitizers: NOT CLEAN (reports under $logs)"
  status=1
elif [ "$status" -ne 0 ]; then
  echo "sanitizers: no report, but a run failed (output under $logs)"
else
  echo "sanitizers: clean"
fi
exit $status
