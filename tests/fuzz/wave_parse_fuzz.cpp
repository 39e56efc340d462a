// libFuzzer target for the WAV parser: any bytes at all must give a defined
// answer, and a success must point inside the image.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/sound_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    // A copy of exactly the input's size, so that any read past it is caught.
    std::vector<uint8_t> image(bytes, bytes + size);
    const uint8_t* begin = image.data();
    const uint8_t* end = begin + image.size();

    const WAVEFORMATEX* format = nullptr;
    const uint8_t* data = nullptr;
    DWORD length = 0;
    if (waveParse(begin, image.size(), &format, &data, &length)) {
        auto* f = reinterpret_cast<const uint8_t*>(format);
        if (!f || f < begin || f + 16 > end) __builtin_trap();  // what DirectSound reads
        if (!data || data < begin || data + length > end) __builtin_trap();
    }
    // Each out-argument is optional.
    waveParse(begin, image.size(), nullptr, &data, nullptr);
    waveParse(begin, image.size(), &format, nullptr, &length);
    return 0;
}
