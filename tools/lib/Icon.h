#pragma once
// The program's icon: a bright "V" of two strokes over a green glow, on a dark rounded square.
// Drawn from distances at each size (not scaled down from a large picture), so the small sizes
// stay sharp; the strokes get wider in pixels' terms at small sizes to stay visible.

#include "Image.h"

namespace tools {

// The icon at size x size pixels with straight (not premultiplied) alpha: transparent outside
// the rounded square, opaque inside it.
Image drawIcon(int size);

} // namespace tools
