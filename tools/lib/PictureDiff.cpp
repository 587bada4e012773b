#include "PictureDiff.h"

#include <cstdlib>

namespace tools {

bool PictureDiff::add(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height || a.channels != b.channels ||
        a.bytes.size() != b.bytes.size())
        return false;
    PictureDiff d;
    for (size_t i = 0; i < a.bytes.size(); ++i) {
        const int diff = std::abs(static_cast<int>(a.bytes[i]) - static_cast<int>(b.bytes[i]));
        if (diff == 0) continue;
        ++d.differing;
        if (diff > 2) ++d.beyondTwo;
        d.sumAbs += diff;
        if (diff > d.maxAbs) d.maxAbs = diff;
    }
    d.values = static_cast<long long>(a.bytes.size());
    add(d);
    return true;
}

void PictureDiff::add(const PictureDiff& o) {
    values += o.values;
    differing += o.differing;
    beyondTwo += o.beyondTwo;
    sumAbs += o.sumAbs;
    if (o.maxAbs > maxAbs) maxAbs = o.maxAbs;
}

}  // namespace tools
