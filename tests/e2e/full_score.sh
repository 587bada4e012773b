# The whole production captured offline at a low frame rate: it completes, every scene shows in
# its window and differs from its neighbour, fades change the picture step by step, and the
# end is black.
source "$(dirname "$0")/lib.bash" "$@"
cd "$BUILD"
export SDL_VIDEODRIVER=x11
FPS=4

"$VERDANTH" --capture "$TMP/all" --fps $FPS -res:320 >/dev/null; status=$?
check "the whole production is captured" [ "$status" -eq 0 ]
check "every frame is written" [ "$(ls "$TMP/all" | wc -l)" -eq $((253 * FPS)) ]

frame() { printf "%s/all/frame-%06d.png" "$TMP" $(($1 * FPS / 1000)); }
mean() { convert "$(frame "$1")" -colorspace gray -format '%[fx:mean]' info:; }
rmse() { compare -metric RMSE "$(frame "$1")" "$(frame "$2")" null: 2>&1 | sed 's/.*(\(.*\))/\1/'; }

# The middle of each scene's window (ms), in score order.
middles=(2000 9000 16000 24000 43000 57500 70000 102000 117500 130000 150000 178000 200000 218000 240000)
previous=
for ms in "${middles[@]}"; do
  m=$(mean "$ms")
  check "the frame at $ms ms is not blank (mean $m)" awk -v m="$m" 'BEGIN { exit !(m > 0.004) }'
  if [ -n "$previous" ]; then
    d=$(rmse "$previous" "$ms")
    check "the frame at $ms ms differs from the one at $previous ms (RMSE $d)" awk -v d="$d" 'BEGIN { exit !(d > 0.02) }'
  fi
  previous=$ms
done

# A fade-out alone on black darkens step by step; a fade-in on black brightens.
a=$(mean 134500); b=$(mean 134750); c=$(mean 135000)
check "the fade-out of Lumerant Budget darkens ($a > $b > $c)" awk -v a="$a" -v b="$b" -v c="$c" 'BEGIN { exit !(a > b && b > c) }'
a=$(mean 164500); b=$(mean 165000); c=$(mean 165750)
check "the fade-in of End Scroll brightens ($a < $b < $c)" awk -v a="$a" -v b="$b" -v c="$c" 'BEGIN { exit !(a < b && b < c) }'
# The end blur fades Tree In A Box out under the End text: the picture keeps changing.
d=$(rmse 249000 250500)
check "the end blur changes the picture (RMSE $d)" awk -v d="$d" 'BEGIN { exit !(d > 0.01) }'

for ms in 251000 251500 252750; do
  m=$(mean "$ms")
  check "the frame at $ms ms is black" awk -v m="$m" 'BEGIN { exit !(m < 0.0005) }'
done
finish
