# The installed tree: program, data and desktop entry. Run from a foreign folder that has an
# images/ folder of its own (as a home folder may), the installed program still plays with its
# installed data, and writes its capture and video where the user asked, never into its data.
source "$(dirname "$0")/lib.bash" "$@"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
unset VERDANTH_DATA
PREFIX=$TMP/prefix
DATA=$PREFIX/share/verdanth

cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null; status=$?
check "cmake --install succeeds" [ "$status" -eq 0 ]
check "the program is installed" [ -x "$PREFIX/bin/verdanth" ]
check "the images are installed" [ -f "$DATA/images/font2.png" ]
check "the music is installed" [ -f "$DATA/music/Qorvanel.ogg" ]
check "the desktop entry is installed" grep -q "^Exec=verdanth" "$PREFIX/share/applications/verdanth.desktop"

# The reference: the build folder's program (data next to it), started from elsewhere.
(cd "$TMP" && "$VERDANTH" --capture "$TMP/ref" --from 5000 --to 5001 -res:320 >/dev/null 2>&1)
check "the build folder's program captures from another folder" [ -f "$TMP/ref/frame-000000.png" ]

mkdir -p "$TMP/home/images" && cd "$TMP/home"
"$PREFIX/bin/verdanth" --capture caps --from 5000 --to 5001 -res:320 >"$TMP/out" 2>&1; status=$?
check "the installed program captures from a folder with an empty images/ (exit 0)" [ "$status" -eq 0 ]
check "... it finds its music" bash -c "! grep -q 'WARNING: Music file' '$TMP/out'"
check "... the frame lands in the start folder" [ -f "$TMP/home/caps/frame-000000.png" ]
check "... not in the data folder" [ ! -e "$DATA/caps" ]
check "... and is the build's frame, textured" cmp -s "$TMP/ref/frame-000000.png" caps/frame-000000.png

"$PREFIX/bin/verdanth" --video clip.mp4 --from 1000 --to 1100 --fps 10 -res:320 >"$TMP/out" 2>&1; status=$?
check "a tiny video from the installed program (exit 0)" [ "$status" -eq 0 ]
check "... lands in the start folder" [ -s "$TMP/home/clip.mp4" ]
check "... not in the data folder" [ ! -e "$DATA/clip.mp4" ]

# Naming a data folder: the foreign folder by the variable (images/ but no music: the
# production's warning, drawn untextured), and --data without images/ refused at once.
VERDANTH_DATA=. "$PREFIX/bin/verdanth" --capture plain --from 5000 --to 5001 -res:320 >"$TMP/out" 2>&1
check "VERDANTH_DATA names the data folder: the music warning" \
  grep -qx "WARNING: Music file ./music/Qorvanel.ogg not found." "$TMP/out"
check "... and the frame is drawn without the installed images" \
  bash -c "[ -f plain/frame-000000.png ] && ! cmp -s caps/frame-000000.png plain/frame-000000.png"
mkdir -p "$TMP/empty"
"$PREFIX/bin/verdanth" --data ../empty --capture none -res:320 >"$TMP/out" 2>"$TMP/err"; status=$?
check "--data without images/: exit 2" [ "$status" -eq 2 ]
check "... one line naming the folder" \
  bash -c "[ \$(wc -l <'$TMP/err') -eq 1 ] && grep -q '^verdanth: --data $TMP/home/../empty: no images/ folder in it' '$TMP/err'"
check "... nothing written" [ ! -e "$TMP/home/none" ]
finish
