# The installed tree: program, data and desktop entry, and the program finding its data from
# any folder (a folder with its own images/ still wins).
source "$(dirname "$0")/lib.bash" "$@"
export SDL_VIDEODRIVER=x11
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)

cmake --install "$BUILD" --prefix "$TMP/prefix" >/dev/null; status=$?
check "cmake --install succeeds" [ "$status" -eq 0 ]
check "the program is installed" [ -x "$TMP/prefix/bin/verdanth" ]
check "the images are installed" [ -f "$TMP/prefix/share/verdanth/images/font2.png" ]
check "the music is installed" [ -f "$TMP/prefix/share/verdanth/music/Qorvanel.ogg" ]
check "the desktop entry is installed" grep -q "^Exec=verdanth" "$TMP/prefix/share/applications/verdanth.desktop"

mkdir "$TMP/elsewhere" && cd "$TMP/elsewhere"
"$TMP/prefix/bin/verdanth" --capture "$TMP/elsewhere/cap" --from 2000 --to 2100 --fps 10 -res:320 >"$TMP/out" 2>&1
status=$?
check "the installed program runs from another folder" [ "$status" -eq 0 ]
check "... and finds its music" bash -c "! grep -q 'WARNING: Music file' '$TMP/out'"
check "... and writes where it was asked" [ -f "$TMP/elsewhere/cap/frame-000000.png" ]

# A folder with images/ of its own (here: no music in it) is used as it is.
mkdir -p "$TMP/own/images" && cd "$TMP/own"
"$TMP/prefix/bin/verdanth" --capture "$TMP/own/cap" --to 100 --fps 10 -res:320 >"$TMP/out" 2>&1
check "a folder with its own images/ wins" grep -q "WARNING: Music file ./music/Qorvanel.ogg not found." "$TMP/out"
finish
