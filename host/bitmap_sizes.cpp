#include "host/bitmap_sizes.h"

#include "host/module_bitmaps.h"

namespace tw {

void BitmapSizes::useModule(void* module_handle) {
    module_ = module_handle;
    read_.clear();
}

std::optional<PIXPOINT> BitmapSizes::find(uint32_t resource_id) const {
    if (auto it = overrides_.find(resource_id); it != overrides_.end()) return it->second;
    if (auto it = read_.find(resource_id); it != read_.end()) return it->second;
    std::optional<PIXPOINT> size;
    if (module_) {
        if (auto bytes = bitmapResource(module_, resource_id))
            if (auto head = bitmapHeader(*bytes)) size = PIXPOINT{head->width, head->height};
    }
    read_[resource_id] = size;
    return size;
}

void BitmapSizes::set(uint32_t resource_id, int32_t width, int32_t height) {
    overrides_[resource_id] = PIXPOINT{width, height};
}

void BitmapSizes::forget(uint32_t resource_id) { overrides_[resource_id] = std::nullopt; }

}  // namespace tw
