// The RIFF/WAVE walk: finds the "fmt " and "data" chunks of an image.

#include <cstring>

#include "sound/sound_player.h"

namespace {

constexpr size_t RiffHeader = 12;
constexpr size_t ChunkHeader = 8;
constexpr DWORD MinFormatBytes = 14;

uint32_t get32(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

bool isId(const uint8_t* at, const char* id) { return std::memcmp(at, id, 4) == 0; }

}  // namespace

bool waveParse(const uint8_t* image, size_t image_size, const WAVEFORMATEX** format,
               const uint8_t** data, DWORD* data_length) {
    if (format) *format = nullptr;
    if (data) *data = nullptr;
    if (data_length) *data_length = 0;
    if (!image || image_size < RiffHeader) return false;
    if (!isId(image, "RIFF") || !isId(image + 8, "WAVE")) return false;

    // The RIFF length is trusted as the end of the walk, but nothing is read
    // beyond the image itself.
    const uint64_t riff_end = 8 + static_cast<uint64_t>(get32(image + 4));
    uint64_t at = RiffHeader;
    while (at < riff_end) {
        if (at + ChunkHeader > image_size) return false;
        const uint8_t* chunk = image + at;
        const uint32_t n = get32(chunk + 4);
        const uint8_t* body = chunk + ChunkHeader;
        const bool body_inside = at + ChunkHeader + n <= image_size;
        if (isId(chunk, "fmt ") && format && !*format) {
            if (n < MinFormatBytes || !body_inside) return false;
            *format = reinterpret_cast<const WAVEFORMATEX*>(body);
            if ((!data || *data) && (!data_length || *data_length)) return true;
        } else if (isId(chunk, "data") && ((data && !*data) || (data_length && !*data_length))) {
            if (!body_inside) return false;
            if (data) *data = body;
            if (data_length) *data_length = n;
            if (!format || *format) return true;
        }
        at += ChunkHeader + static_cast<uint64_t>(n) + (n & 1);
    }
    return false;
}
