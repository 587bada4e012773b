# Bad and missing data files: each has a defined result, and no run crashes.
# A broken image draws exactly as a missing one (its name stays unregistered, drawing with it is
# untextured); broken music is either refused (the warning, then the production runs without
# it) or plays as far as it decodes. The real-time part runs on an X server of its own, so that
# no other test's window is found by its title.
if [ -z "${VERDANTH_PRIVATE_X:-}" ]; then
  VERDANTH_PRIVATE_X=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.bash" "$@"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
WARNING="WARNING: Music file ./music/Qorvanel.ogg not found."
IMAGE=lizzardskinp.png  # the pillars of "Pre Cooked Thoughts" and the rooms of three scenes
MUSIC=$BUILD/music/Qorvanel.ogg

# data NAME: a data folder (for --data) whose files link to the build's; the caller then breaks
# one of them.
data() {
  local dir=$TMP/data/$1
  mkdir -p "$dir/images" "$dir/music"
  local f
  for f in "$BUILD"/images/*.png; do ln -s "$f" "$dir/images/"; done
  ln -s "$MUSIC" "$dir/music/Qorvanel.ogg"
  echo "$dir"
}

# capture DATA NAME FROM TO FPS [SWITCH...]: frames into $TMP/NAME, output into $TMP/NAME.out
# and $TMP/NAME.err; the exit status into $status.
capture() {
  local dir=$1 name=$2 from=$3 to=$4 fps=$5
  shift 5
  "$VERDANTH" --data "$dir" --capture "$TMP/$name" --from "$from" --to "$to" --fps "$fps" \
    -res:320 "$@" >"$TMP/$name.out" 2>"$TMP/$name.err"
  status=$?
}

mean() { convert "$1" -colorspace gray -format '%[fx:mean]' info:; }
above() { awk -v v="$1" -v m="$2" 'BEGIN { exit !(v > m) }'; }
differ() { [ -s "$1" ] && [ -s "$2" ] && ! cmp -s "$1" "$2"; }
# A picture the production drew: the frame is neither black nor a flat colour.
drawn() {
  local m s
  m=$(mean "$1")
  s=$(convert "$1" -colorspace gray -format '%[fx:standard_deviation]' info:)
  above "$m" 0.02 && above "$s" 0.01
}
either_drawn() { drawn "$1" || drawn "$2"; }

# --- Images -------------------------------------------------------------------------------
# 5000 to 8000 ms: "Pre Cooked Thoughts" with "ORVEL Is In The House" over it; the last frame
# shows the pillars that use the image broken below.
capture "$(data ref)" ref 5000 9000 1
check "the reference capture exits 0" [ "$status" -eq 0 ]
dir=$(data missing-image); rm "$dir/images/$IMAGE"
capture "$dir" missing-image 5000 9000 1
check "a missing image: exit 0" [ "$status" -eq 0 ]
check "... every frame written" [ "$(ls "$TMP/missing-image" | wc -l)" -eq 4 ]
check "... the frame is drawn, not blank" drawn "$TMP/missing-image/frame-000003.png"
check "... and differs where the image would be" \
  differ "$TMP/ref/frame-000003.png" "$TMP/missing-image/frame-000003.png"
check "... nothing is printed about it" bash -c "! grep -qi png '$TMP/missing-image.out' '$TMP/missing-image.err'"

# broken NAME COMMAND...: the image replaced by what COMMAND writes to its first argument; the
# frames must be those of the missing image, byte for byte.
broken() {
  local name=$1; shift
  local dir
  dir=$(data "$name")
  rm "$dir/images/$IMAGE"
  "$@" "$dir/images/$IMAGE"
  capture "$dir" "$name" 5000 9000 1
  check "$name: exit 0" [ "$status" -eq 0 ]
  check "$name: drawn as if the image were missing" diff -r "$TMP/missing-image" "$TMP/$name"
}
SRC=$BUILD/images/$IMAGE
text_file() { echo "not an image at all" >"$1"; }
empty_file() { : >"$1"; }
jpeg_file() { convert "$SRC" jpg:"$1"; }
signature_only() { head -c 8 "$SRC" >"$1"; }
truncated_half() { head -c $(($(stat -c %s "$SRC") / 2)) "$SRC" >"$1"; }
no_end_chunk() { head -c $(($(stat -c %s "$SRC") - 12)) "$SRC" >"$1"; }
damaged_data() {  # bytes in the middle of the image data overwritten: the chunk's CRC fails
  cp "$SRC" "$1"
  printf 'DAMAGEDDAMAGED' | dd of="$1" bs=1 seek=$(($(stat -c %s "$SRC") / 2)) conv=notrunc 2>/dev/null
}
grey_8bit() { convert "$SRC" -colorspace Gray -depth 8 -define png:color-type=0 png:"$1"; }
grey_alpha() { convert "$SRC" -colorspace Gray -alpha on -depth 8 -define png:color-type=4 png:"$1"; }
palette() { convert "$SRC" -colors 64 png8:"$1"; }
rgb_16bit() { convert "$SRC" -depth 16 png48:"$1"; }
rgba_16bit() { convert "$SRC" -alpha on -depth 16 png64:"$1"; }

broken not-a-png text_file
broken empty-file empty_file
broken jpeg-named-png jpeg_file
broken signature-only signature_only
broken truncated-png truncated_half
broken png-without-end no_end_chunk
broken damaged-png damaged_data
broken grey-png grey_8bit
broken grey-alpha-png grey_alpha
broken palette-png palette
broken 16bit-rgb-png rgb_16bit
broken 16bit-rgba-png rgba_16bit
# The doctored files really are what their names say.
check "the grey test file is grey" bash -c "file -L '$TMP/data/grey-png/images/$IMAGE' | grep -q 'grayscale'"
check "the 16-bit test file is 16-bit" bash -c "file -L '$TMP/data/16bit-rgb-png/images/$IMAGE' | grep -q '16-bit/color RGB'"
check "the palette test file has a palette" bash -c "file -L '$TMP/data/palette-png/images/$IMAGE' | grep -q 'colormap'"

# An image of an odd size (not a power of two) still loads and is drawn with.
dir=$(data odd-size); rm "$dir/images/$IMAGE"
convert "$SRC" -resize 300x200! png24:"$dir/images/$IMAGE"
capture "$dir" odd-size 5000 9000 1
check "an image of 300 x 200: exit 0" [ "$status" -eq 0 ]
check "... it is used (not drawn as missing)" \
  differ "$TMP/missing-image/frame-000003.png" "$TMP/odd-size/frame-000003.png"

# Cube maps with a face file gone: the first face (black.png) missing leaves the cube maps
# unregistered; a later one (bill.png, face 5) leaves them incomplete. Both draw on.
for face in black bill; do
  dir=$(data "no-$face"); rm "$dir/images/$face.png"
  capture "$dir" "no-$face" 5000 9000 1
  check "cube-map face $face.png missing: exit 0" [ "$status" -eq 0 ]
  check "... the frame is drawn" drawn "$TMP/no-$face/frame-000003.png"
done

# Every image gone: the whole production runs to its end, drawing untextured and without text.
dir=$(data empty-images); rm "$dir"/images/*
capture "$dir" empty-images 0 253000 1
check "an empty images/ folder: the whole run exits 0" [ "$status" -eq 0 ]
check "... every frame written" [ "$(ls "$TMP/empty-images" | wc -l)" -eq 253 ]
check "... 3D scenes still draw (Cancerous at 40 s)" drawn "$TMP/empty-images/frame-000040.png"
check "... (BubblesOfLife at 150 s)" drawn "$TMP/empty-images/frame-000150.png"
check "... after the score the frame is black" bash -c "[ \"\$(convert '$TMP/empty-images/frame-000252.png' -format '%[fx:maxima]' info:)\" = 0 ]"

# The text parts' font image missing: they skip their text, the scenes under them still draw.
dir=$(data no-font); rm "$dir/images/font2.png" "$dir/images/font3f.png"
capture "$dir" no-font 5000 9000 1
check "missing font images: exit 0" [ "$status" -eq 0 ]
check "... the frame at a text time is drawn" drawn "$TMP/no-font/frame-000003.png"
check "... without its text" differ "$TMP/ref/frame-000003.png" "$TMP/no-font/frame-000003.png"
capture "$dir" no-font-text-only 1000 4000 1
check "... a text part on its own (Hang On With Us) exits 0" [ "$status" -eq 0 ]

# --- Music (offline: the clock is the capture's; the music only feeds the spectrum) --------
# 56 to 59 s: "Spectral Sleep", which moves with the spectrum of the music.
capture "$TMP/data/ref" music-ref 56000 60000 1
capture "$TMP/data/ref" music-off 56000 60000 1 -nomusic
check "the spectrum range reacts to the music" bash -c "! diff -rq '$TMP/music-ref' '$TMP/music-off' >/dev/null"

# refused NAME COMMAND...: the music replaced by what COMMAND writes; the file is refused.
refused() {
  local name=$1; shift
  local dir
  dir=$(data "$name")
  rm "$dir/music/Qorvanel.ogg"
  [ $# -gt 0 ] && "$@" "$dir/music/Qorvanel.ogg"
  capture "$dir" "$name" 56000 60000 1
  check "$name: exit 0" [ "$status" -eq 0 ]
  check "$name: the warning" grep -qx "$WARNING" "$TMP/$name.out"
  check "$name: drawn as without music" diff -r "$TMP/music-off" "$TMP/$name"
}
headers_only() { head -c 4096 "$MUSIC" >"$1"; }   # the Vorbis headers, no audio
png_as_music() { cp "$BUILD/images/black.png" "$1"; }
refused missing-music
refused empty-music empty_file
refused text-as-music text_file
refused png-as-music png_as_music
refused music-headers-only headers_only

# Cut after about 10 s of audio: it opens and plays that far; past its end the spectrum is
# silence, so the frames are those without music.
dir=$(data short-music); rm "$dir/music/Qorvanel.ogg"
head -c 250000 "$MUSIC" >"$dir/music/Qorvanel.ogg"
capture "$dir" short-music 56000 60000 1
check "truncated music: exit 0" [ "$status" -eq 0 ]
check "... it opens: no warning" bash -c "! grep -q 'WARNING' '$TMP/short-music.out'"
check "... past its end drawn as without music" diff -r "$TMP/music-off" "$TMP/short-music"
dir=$(data damaged-music); rm "$dir/music/Qorvanel.ogg"
cp "$MUSIC" "$dir/music/Qorvanel.ogg"
head -c 200000 /dev/urandom | dd of="$dir/music/Qorvanel.ogg" bs=1 seek=1000000 conv=notrunc 2>/dev/null
capture "$dir" damaged-music 56000 60000 1
check "music damaged in the middle: exit 0" [ "$status" -eq 0 ]
check "... it opens: no warning" bash -c "! grep -q 'WARNING' '$TMP/damaged-music.out'"

# --- Real time: the music clock and the loading screen ---------------------------------------
# play DATA NAME: runs the program in real time from the folder DATA; once its first frame is
# shown and it has played 7 s on, takes a picture of its window and waits (up to the limit)
# for the picture to change, then presses Escape; the exit status into $status.
moved() { shot "$1" "$2" && ! cmp -s "$2" "$3"; }
play() {
  local dir=$1 name=$2 pid win
  "$VERDANTH" --data "$dir" -res:320 >"$TMP/$name.out" 2>&1 &
  pid=$!
  win=$(window_of $pid)
  if [ -n "$win" ] && first_frame $pid "$TMP/$name.out" "$win" && play_for 7 $pid; then
    shot "$win" "$TMP/$name-a.ppm"
    poll "$LIMIT" moved "$win" "$TMP/$name-b.ppm" "$TMP/$name-a.ppm"
    xdotool key --window "$win" Escape
  fi
  end_status $pid
  status=$?
}

# About 2 s of audio: when it ends the stopwatch takes over and the pictures keep moving.
dir=$(data live-short-music); rm "$dir/music/Qorvanel.ogg"
head -c 60000 "$MUSIC" >"$dir/music/Qorvanel.ogg"
play "$dir" live-short-music
check "real time, music ending early: Escape exits 0" [ "$status" -eq 0 ]
check "... the music opened (no warning)" bash -c "! grep -q WARNING '$TMP/live-short-music.out'"
check "... the window shows the production" \
  either_drawn "$TMP/live-short-music-a.ppm" "$TMP/live-short-music-b.ppm"
check "... the picture still moves after the music ended" \
  differ "$TMP/live-short-music-a.ppm" "$TMP/live-short-music-b.ppm"

# No music and no loading-screen font: the warning, the stopwatch, a loading screen without text.
dir=$(data live-no-music); rm "$dir/music/Qorvanel.ogg" "$dir/images/font2.png"
play "$dir" live-no-music
check "real time, no music and no font image: Escape exits 0" [ "$status" -eq 0 ]
check "... the warning" grep -qx "$WARNING" "$TMP/live-no-music.out"
check "... the picture moves on the stopwatch" \
  differ "$TMP/live-no-music-a.ppm" "$TMP/live-no-music-b.ppm"
finish
