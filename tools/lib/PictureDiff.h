#pragma once
// How far two renderings of the same frames are apart, channel value by channel value: the
// measure for changes to drawing code that must keep the pictures.

#include "Image.h"

namespace tools {

struct PictureDiff {
    long long values = 0;     // channel values compared
    long long differing = 0;  // ... that differ at all
    long long beyondTwo = 0;  // ... by more than 2
    double sumAbs = 0.0;      // sum of the absolute differences
    int maxAbs = 0;

    // Adds the channel values of a and b; false (nothing added) when their sizes or channel
    // counts differ.
    bool add(const Pixels& a, const Pixels& b);
    void add(const PictureDiff& other);

    bool identical() const { return differing == 0; }
    double meanAbs() const { return values > 0 ? sumAbs / static_cast<double>(values) : 0.0; }
    double shareWithinTwo() const {
        return values > 0 ? 1.0 - static_cast<double>(beyondTwo) / static_cast<double>(values) : 1.0;
    }
    // A change that alters rounding may still pass: a mean difference of at most 0.1 of 255 and
    // at least 99.9 % of the channel values within 2.
    bool withinTolerance() const { return meanAbs() <= 0.1 && shareWithinTwo() >= 0.999; }
};

}  // namespace tools
