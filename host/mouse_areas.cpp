#include "host/mouse_areas.h"

#include <algorithm>

namespace tw {

namespace {
// A list longer than this is taken to have lost its end record.
constexpr size_t MaxRecords = 4096;
}  // namespace

MouseAreas::MouseAreas(const MOUSE_RECT* list) {
    if (!list) return;
    std::vector<int> open;  // stack of parent indexes
    for (size_t i = 0; i < MaxRecords; ++i) {
        const MOUSE_RECT& r = list[i];
        ++record_count_;
        if (r.rect_type == MouseRectEnd) break;
        int holder = open.empty() ? -1 : open.back();
        Box outer = holder < 0 ? Box{0, 0, 0, 0, true} : areas_[holder].box;
        int32_t ox = outer.unbounded ? 0 : outer.x;
        int32_t oy = outer.unbounded ? 0 : outer.y;
        switch (r.rect_type) {
            case MouseRectParent: {
                MouseArea a{MouseArea::Parent, outer, holder, &r, nullptr};
                if (r.width > 0 && r.height > 0) a.box = Box{ox + r.x, oy + r.y, r.width, r.height};
                areas_.push_back(a);
                open.push_back(static_cast<int>(areas_.size()) - 1);
                break;
            }
            case MouseRectChild:
                areas_.push_back(MouseArea{MouseArea::Child,
                                           Box{ox + r.x, oy + r.y, r.width, r.height}, holder, &r,
                                           nullptr});
                break;
            case MouseRectTooltip:
                if (holder >= 0 && !areas_[holder].tooltip) areas_[holder].tooltip = &r;
                break;
            case MouseRectEndParent:
                if (!open.empty()) open.pop_back();
                break;
            default:
                return;  // not a record the host knows: stop reading
        }
    }
}

bool MouseAreas::insideAncestors(int index, int32_t x, int32_t y) const {
    for (int p = areas_[index].parent; p >= 0; p = areas_[p].parent) {
        if (!areas_[p].box.contains(x, y)) return false;
    }
    return true;
}

std::optional<int> MouseAreas::childAt(int32_t x, int32_t y) const {
    for (size_t i = 0; i < areas_.size(); ++i) {
        const MouseArea& a = areas_[i];
        int index = static_cast<int>(i);
        if (a.kind == MouseArea::Child && a.box.contains(x, y) && insideAncestors(index, x, y))
            return index;
    }
    return std::nullopt;
}

const MOUSE_RECT* MouseAreas::tooltipAt(int32_t x, int32_t y) const {
    // The innermost parent comes last in list order among those that hold the point.
    const MOUSE_RECT* found = nullptr;
    for (size_t i = 0; i < areas_.size(); ++i) {
        const MouseArea& a = areas_[i];
        int index = static_cast<int>(i);
        if (a.kind == MouseArea::Parent && a.tooltip && a.box.contains(x, y) &&
            insideAncestors(index, x, y))
            found = a.tooltip;
    }
    return found;
}

int32_t MouseAreas::cursorAt(int32_t x, int32_t y) const {
    std::optional<int> child = childAt(x, y);
    return child ? areas_[*child].record->cursor : -1;
}

uint32_t MouseAreas::helpIdAt(int32_t x, int32_t y) const {
    uint32_t found = 0;
    for (size_t i = 0; i < areas_.size(); ++i) {
        const MouseArea& a = areas_[i];
        int index = static_cast<int>(i);
        if (a.kind == MouseArea::Parent && a.record->help_id != 0 && a.box.contains(x, y) &&
            insideAncestors(index, x, y))
            found = a.record->help_id;
    }
    return found;
}

std::optional<Box> MouseAreas::extent() const {
    std::optional<Box> e;
    for (const MouseArea& a : areas_) {
        if (a.box.unbounded || a.box.width <= 0 || a.box.height <= 0) continue;
        if (!e) {
            e = a.box;
            continue;
        }
        int32_t x1 = std::max(e->x + e->width, a.box.x + a.box.width);
        int32_t y1 = std::max(e->y + e->height, a.box.y + a.box.height);
        e->x = std::min(e->x, a.box.x);
        e->y = std::min(e->y, a.box.y);
        e->width = x1 - e->x;
        e->height = y1 - e->y;
    }
    return e;
}

}  // namespace tw
