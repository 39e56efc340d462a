// The pixel sizes of the module's bitmap resources, as the simulator knows them
// from the bitmaps it loads: read from the module's own resources (by number,
// through FindResourceA and LoadResource). The host writes them into each
// element's image_size when it builds a gauge, and gauges that measure their
// own picture (the throttle quadrant's thrust levers) read them back from
// there. Tests may give or take sizes on top of the module's.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "framework/host_records.h"

namespace tw {

class BitmapSizes {
public:
    BitmapSizes() = default;

    // The module whose resources give the sizes (its Module::handle()).
    void useModule(void* module_handle);

    // Width and height in pixels; empty for a bitmap the host knows no size of.
    std::optional<PIXPOINT> find(uint32_t resource_id) const;
    // Adds or replaces a size, for gauges built later (tests, other artwork).
    void set(uint32_t resource_id, int32_t width, int32_t height);
    // The host then knows no size for the bitmap.
    void forget(uint32_t resource_id);

private:
    void* module_ = nullptr;
    std::map<uint32_t, std::optional<PIXPOINT>> overrides_;
    mutable std::map<uint32_t, std::optional<PIXPOINT>> read_;
};

}  // namespace tw
