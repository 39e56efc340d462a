// The module's bitmap resources as the simulator reads them: looked up in the
// loaded module by number or name (FindResourceA, LoadResource, LockResource)
// and decoded from the device-independent bitmap a resource compiler stores:
// a BITMAPINFOHEADER, the palette, the rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// A decoded picture, top row first, pixels 0x00RRGGBB. Black (0) is the
// host's transparent colour.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    int bits_per_pixel = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

// The bytes of a bitmap resource of the module (handle as Module::handle()
// gives it); empty when it has none by that number or name.
std::optional<std::vector<uint8_t>> bitmapResource(void* module, uint32_t id);
std::optional<std::vector<uint8_t>> bitmapResource(void* module, const std::string& name);

// Width, height and depth from a resource's header; empty for a malformed one.
struct BitmapHeader {
    int32_t width, height;
    int bits_per_pixel;
};
std::optional<BitmapHeader> bitmapHeader(const std::vector<uint8_t>& resource);

// Uncompressed 1, 4, 8, 24 and 32-bit bitmaps, bottom-up or top-down; empty
// for anything else or anything that runs past its bytes.
std::optional<Picture> decodeBitmap(const std::vector<uint8_t>& resource);

}  // namespace tw
