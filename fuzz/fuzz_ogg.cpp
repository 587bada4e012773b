// libFuzzer target for the sound layer: opening and decoding an arbitrary file as Ogg Vorbis,
// then reading spectra across it. Any input must end in a clean refusal or a usable track.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/SoundLayer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The layer opens files by name: hand it the input through an in-memory file.
    static int fd = memfd_create("fuzz-ogg", 0);
    if (fd < 0) return 0;
    if (ftruncate(fd, 0) != 0) return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) return 0;
        done += static_cast<size_t>(n);
    }
    SoundLayer layer;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (!layer.open(path)) {
        if (layer.isOpen() || layer.lengthMs() != 0) std::abort();  // a refusal keeps nothing
        return 0;
    }
    if (layer.frameCount() == 0 || layer.pcm() == nullptr) std::abort();
    float spectrum[1024];
    for (unsigned ms : {0u, layer.lengthMs() / 2, layer.lengthMs(), layer.lengthMs() + 1000})
        layer.spectrumAt(ms, spectrum, 1024);
    layer.setPositionMs(layer.lengthMs() + 5);
    if (layer.positionMs() > layer.lengthMs()) std::abort();
    return 0;
}
