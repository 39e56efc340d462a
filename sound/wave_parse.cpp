// The RIFF/WAVE walk: finds the "fmt " and "data" chunks of an image.

#include <cstring>

#include "sound/sound_player.h"

namespace {

constexpr size_t RiffHeader = 12;
constexpr size_t ChunkHeader = 8;
constexpr DWORD MinFormatBytes = 14;
// What DirectSound reads of a format when it makes a buffer: the 16 bytes of a
// PCM format, or for any other tag the 18-byte head and the cbSize bytes after it.
constexpr size_t PcmFormatBytes = 16;
constexpr size_t ExtensibleFormatHead = 18;
constexpr uint16_t PcmTag = 1;

uint32_t get32(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

uint16_t get16(const uint8_t* at) {
    uint16_t v;
    std::memcpy(&v, at, 2);
    return v;
}

// A "fmt " chunk may be shorter than what DirectSound reads of it (14 bytes
// are enough for the chunk); the bytes it reads must still be in the image.
bool formatReadableWithin(const uint8_t* body, size_t available) {
    if (available < PcmFormatBytes) return false;
    if (get16(body) == PcmTag) return true;
    if (available < ExtensibleFormatHead) return false;
    return available - ExtensibleFormatHead >= get16(body + PcmFormatBytes);
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
            if (!formatReadableWithin(body, image_size - (at + ChunkHeader))) return false;
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
