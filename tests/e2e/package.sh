# The Debian package, made from the build folder's program (the release script builds its own):
# its name and version, its files, its Depends, lintian, and the program unpacked into a
# temporary root (nothing is installed on the machine) running from a foreign folder.
source "$(dirname "$0")/lib.bash" "$@"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
unset VERDANTH_DATA
version=$("$VERDANTH" --version | awk '{print $2}')
deb=$TMP/pkg/verdanth_${version}_$(dpkg --print-architecture).deb

cpack --config "$BUILD/CPackConfig.cmake" -B "$TMP/pkg" >"$TMP/cpack.log" 2>&1; status=$?
check "cpack makes the package (exit 0)" [ "$status" -eq 0 ]
check "... named with the program's version: ${deb##*/}" [ -f "$deb" ]
[ -f "$deb" ] || { cat "$TMP/cpack.log"; finish; }

ROOT=$TMP/root
dpkg-deb -x "$deb" "$ROOT"
dpkg-deb -c "$deb" | awk '{print $6}' >"$TMP/files"
check "every file lies under /usr" bash -c "! grep -v '^\./usr/' '$TMP/files'"
check "the program is /usr/bin/verdanth" [ -x "$ROOT/usr/bin/verdanth" ]
check "the images and music are under /usr/share/verdanth" \
  [ -f "$ROOT/usr/share/verdanth/images/font2.png" -a -f "$ROOT/usr/share/verdanth/music/Qorvanel.ogg" ]
check "as many images as the build made" \
  [ "$(ls "$ROOT/usr/share/verdanth/images" | wc -l)" -eq "$(ls "$BUILD/images" | wc -l)" ]
entry=$ROOT/usr/share/applications/verdanth.desktop
check "the desktop entry starts the production full screen with its icon" \
  bash -c "grep -qx 'Exec=verdanth --desktop' '$entry' && grep -qx 'Icon=verdanth' '$entry'"
check "desktop-file-validate finds nothing to say" bash -c "[ -z \"\$(desktop-file-validate '$entry' 2>&1)\" ]"
icons=$(find "$ROOT/usr/share/icons/hicolor" -name verdanth.png | wc -l)
check "an icon in each of the hicolor sizes the build drew ($icons)" \
  [ "$icons" -gt 0 -a "$icons" -eq "$(find "$BUILD/icons/hicolor" -name verdanth.png | wc -l)" ]
check "the man page is gzipped in section 6, with the version" \
  bash -c "zcat '$ROOT/usr/share/man/man6/verdanth.6.gz' | grep -q '^\.TH VERDANTH 6 .*verdanth $version'"
check "copyright and changelog in /usr/share/doc/verdanth" \
  [ -f "$ROOT/usr/share/doc/verdanth/copyright" -a -f "$ROOT/usr/share/doc/verdanth/changelog.gz" ]

# Depends: the package of every shared library the program links, as dpkg knows them.
depends=$(dpkg-deb -f "$deb" Depends)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for soname in $(objdump -p "$ROOT/usr/bin/verdanth" | awk '$1 == "NEEDED" {print $2}'); do
  package=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | head -n 1 | cut -d: -f1)
  check "Depends names $package (for $soname)" bash -c "[ -n '$package' ] && grep -qw -- '$package' <<<'$depends'"
done
check "Recommends ffmpeg" [ "$(dpkg-deb -f "$deb" Recommends)" = ffmpeg ]
lintian "$deb" >"$TMP/lintian" 2>&1
check "lintian reports no errors" bash -c "! grep '^E:' '$TMP/lintian'"

# The unpacked program, from a folder with an empty images/ of its own, finds its data beside
# its bin/ folder: the frame is the build folder's frame, textured, with no music warning.
(cd "$TMP" && "$VERDANTH" --capture "$TMP/ref" --from 5000 --to 5001 -res:320 >/dev/null 2>&1)
mkdir -p "$TMP/home/images" && cd "$TMP/home"
"$ROOT/usr/bin/verdanth" --capture caps --from 5000 --to 5001 -res:320 >"$TMP/out" 2>&1; status=$?
check "the unpacked program captures a frame from another folder (exit 0)" [ "$status" -eq 0 ]
check "... finding its music" bash -c "! grep -q 'WARNING: Music file' '$TMP/out'"
check "... and its images: the build's frame" cmp -s "$TMP/ref/frame-000000.png" caps/frame-000000.png
finish
