#pragma once
// Small Ogg Vorbis files for tests, written with the content tools' encoder.
#include <functional>
#include <string>

namespace testsupport {

// Writes an Ogg Vorbis file whose channel c at time t (seconds) is signal(c, t). Fails the
// calling test (gtest assertion) when the encoder cannot be set up or the file not written.
void writeOgg(const std::string& path, int channels, int rate, double seconds,
              const std::function<float(int, double)>& signal, int serial = 1234);

}  // namespace testsupport
