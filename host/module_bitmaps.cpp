#include "host/module_bitmaps.h"

#include <cstring>

#include "platform/windows_api.h"

namespace tw {

namespace {

std::optional<std::vector<uint8_t>> fetch(void* module, LPCSTR name) {
    HMODULE m = static_cast<HMODULE>(module);
    HRSRC found = FindResourceA(m, name, RT_BITMAP);
    if (!found) return std::nullopt;
    DWORD size = SizeofResource(m, found);
    HGLOBAL loaded = LoadResource(m, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return std::nullopt;
    const auto* p = static_cast<const uint8_t*>(bytes);
    return std::vector<uint8_t>(p, p + size);
}

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

constexpr size_t InfoHeaderBytes = 40;
constexpr int32_t MaxSide = 16384;

}  // namespace

std::optional<std::vector<uint8_t>> bitmapResource(void* module, uint32_t id) {
    if (id == 0 || id > 0xFFFF) return std::nullopt;
    return fetch(module, MAKEINTRESOURCEA(id));
}

std::optional<std::vector<uint8_t>> bitmapResource(void* module, const std::string& name) {
    return fetch(module, name.c_str());
}

std::optional<BitmapHeader> bitmapHeader(const std::vector<uint8_t>& r) {
    if (r.size() < InfoHeaderBytes || u32(r, 0) < InfoHeaderBytes) return std::nullopt;
    int32_t w = static_cast<int32_t>(u32(r, 4));
    int32_t h = static_cast<int32_t>(u32(r, 8));
    if (h < 0 && h != INT32_MIN) h = -h;
    int bits = u16(r, 14);
    if (w <= 0 || h <= 0 || w > MaxSide || h > MaxSide) return std::nullopt;
    return BitmapHeader{w, h, bits};
}

std::optional<Picture> decodeBitmap(const std::vector<uint8_t>& r) {
    auto head = bitmapHeader(r);
    if (!head) return std::nullopt;
    uint32_t header_bytes = u32(r, 0);
    bool top_down = static_cast<int32_t>(u32(r, 8)) < 0;
    int bits = head->bits_per_pixel;
    if (u32(r, 16) != 0) return std::nullopt;  // compressed
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
    size_t colours = 0;
    if (bits <= 8) {
        colours = u32(r, 32);
        if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
    }
    size_t palette_at = header_bytes;
    size_t bits_at = palette_at + 4 * colours;
    size_t row_bytes = ((static_cast<size_t>(head->width) * bits + 31) / 32) * 4;
    if (header_bytes > r.size() || bits_at > r.size() ||
        row_bytes * static_cast<size_t>(head->height) > r.size() - bits_at)
        return std::nullopt;
    std::vector<uint32_t> palette(colours);
    for (size_t i = 0; i < colours; ++i) palette[i] = u32(r, palette_at + 4 * i) & 0x00FFFFFF;
    Picture p{head->width, head->height, bits, {}};
    p.pixels.resize(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
    for (int32_t y = 0; y < p.height; ++y) {
        size_t row = bits_at + row_bytes * static_cast<size_t>(top_down ? y : p.height - 1 - y);
        for (int32_t x = 0; x < p.width; ++x) {
            uint32_t c = 0;
            size_t ux = static_cast<size_t>(x);
            switch (bits) {
                case 1: {
                    size_t i = (r[row + ux / 8] >> (7 - ux % 8)) & 1;
                    c = i < colours ? palette[i] : 0;
                    break;
                }
                case 4: {
                    size_t i = (r[row + ux / 2] >> (ux % 2 ? 0 : 4)) & 0xF;
                    c = i < colours ? palette[i] : 0;
                    break;
                }
                case 8:
                    c = r[row + ux] < colours ? palette[r[row + ux]] : 0;
                    break;
                case 24:
                    c = r[row + 3 * ux] | r[row + 3 * ux + 1] << 8 | r[row + 3 * ux + 2] << 16;
                    break;
                default:
                    c = u32(r, row + 4 * ux) & 0x00FFFFFF;
                    break;
            }
            p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + ux] = c;
        }
    }
    return p;
}

}  // namespace tw
