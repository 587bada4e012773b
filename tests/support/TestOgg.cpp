#include "support/TestOgg.h"

#include <gtest/gtest.h>

#include <cmath>

#include "OggWriter.h"

namespace testsupport {

void writeOgg(const std::string& path, int channels, int rate, double seconds,
              const std::function<float(int, double)>& signal, int serial) {
    tools::OggEncoding e;
    e.channels = channels;
    e.sampleRate = rate;
    e.quality = 0.5f;
    e.frames = std::lround(seconds * rate);
    e.serial = serial;
    e.sample = [&](int channel, long frame) {
        return signal(channel, static_cast<double>(frame) / rate);
    };
    std::string error;
    ASSERT_TRUE(tools::writeOggVorbis(path, e, &error)) << error;
}

}  // namespace testsupport
