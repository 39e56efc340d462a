// The pixel sizes of the module's bitmap resources, as the simulator knows them
// from the bitmaps it loads. The bundled host has no artwork, so it keeps the
// sizes in a table: it writes them into each element's image_size when it
// builds a gauge, and gauges that measure their own picture (the throttle
// quadrant's thrust levers) read them back from there.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "framework/host_records.h"

namespace tw {

class BitmapSizes {
public:
    // Starts with every size the host knows.
    BitmapSizes();

    // Width and height in pixels; empty for a bitmap the host knows no size of.
    std::optional<PIXPOINT> find(uint32_t resource_id) const;
    // Adds or replaces a size, for gauges built later (tests, other artwork).
    void set(uint32_t resource_id, int32_t width, int32_t height);
    // The host then knows no size for the bitmap.
    void forget(uint32_t resource_id);

private:
    std::map<uint32_t, PIXPOINT> sizes_;
};

}  // namespace tw
