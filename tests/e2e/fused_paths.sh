# The two drawing paths of one build draw the same production: one capture of the whole score,
# a frame every 2 s (every scene is on screen for at least that long), classic and fused,
# compared value by value. Skipped where the driver has no fused path.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11

"$VERDANTH" --bench --to 100 -res:320 -nomusic >"$TMP/bench" 2>&1
if ! grep -q "fused path" "$TMP/bench"; then
  echo "skipped: this driver draws the classic way only"
  finish
  exit 0
fi
check "--bench names the classic path when asked" \
  bash -c "'$VERDANTH' --classic --bench --to 100 -res:320 -nomusic 2>&1 | grep -q 'classic path'"

for path in classic fused; do
  args=()
  [ $path = classic ] && args=(--classic)
  "$VERDANTH" "${args[@]}" --capture "$TMP/$path" --fps 1 --every 2 -nomusic >/dev/null
  check "the $path capture wrote its frames" [ "$(ls "$TMP/$path" | wc -l)" -eq 127 ]
done
tools/picture_compare "$TMP/classic" "$TMP/fused" >"$TMP/compare"; status=$?
cat "$TMP/compare"
check "fused against classic within tolerance over all frames" [ "$status" -eq 0 ]
check "no frame worse than a mean of 0.3 or below 99.5 % within 2" \
  awk '/^frame-/ { if ($6 + 0 > 0.3 || $7 + 0 < 99.5) bad = 1 } END { exit bad }' "$TMP/compare"

# Two moments where the last bit of rounding shows: Verdanth's lamp lights surfaces that meet
# their own shadows at almost equal depths, where it turns whole patches of the shadow masks and
# the glow over; the first frame of the End's blur (249 s) doubles the brightness of Tree In A
# Box's picture, and with it every difference. Frames every 0.5 s, as the scenes grow.
for moment in "verdanth 95000 107000 24" "end 247000 249500 5"; do
  read -r name from to frames <<<"$moment"
  for path in classic fused; do
    args=()
    [ $path = classic ] && args=(--classic)
    "$VERDANTH" "${args[@]}" --capture "$TMP/$name-$path" --from "$from" --to "$to" --fps 10 \
      --every 5 -nomusic >/dev/null
    check "the $path capture of $name wrote its frames" [ "$(ls "$TMP/$name-$path" | wc -l)" -eq "$frames" ]
  done
  tools/picture_compare "$TMP/$name-classic" "$TMP/$name-fused" >"$TMP/compare-$name"
  cat "$TMP/compare-$name"
  check "$name: no frame worse than a mean of 0.3 or below 99.5 % within 2" \
    awk '/^frame-/ { if ($6 + 0 > 0.3 || $7 + 0 < 99.5) bad = 1 } END { exit bad }' \
    "$TMP/compare-$name"
done

"$VERDANTH" --native --classic --to 100 >/dev/null 2>"$TMP/err"; status=$?
check "--native with --classic is status 2" [ "$status" -eq 2 ]
finish
