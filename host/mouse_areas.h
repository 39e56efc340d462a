// A gauge's mouse-rectangle list read as the host reads it: nested parent areas,
// each with an optional tooltip, holding child areas and further parents.
//
// Coordinates are gauge pixels. A box is relative to the origin of the parent
// area that holds it; a parent whose box has no width or height covers the area
// that holds it (the outermost one, the whole gauge). Where child areas
// overlap, the first in list order wins.
#pragma once

#include <optional>
#include <vector>

#include "framework/host_records.h"

namespace tw {

struct Box {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool unbounded = false;  // a zero-sized outermost parent: the whole gauge
    bool contains(int32_t px, int32_t py) const {
        return unbounded || (px >= x && py >= y && px < x + width && py < y + height);
    }
};

struct MouseArea {
    enum Kind { Parent, Child } kind;
    Box box;          // absolute, in gauge pixels
    int parent = -1;  // index of the enclosing parent area, -1 for none
    const MOUSE_RECT* record = nullptr;
    const MOUSE_RECT* tooltip = nullptr;  // parents: the tooltip record that applies
};

class MouseAreas {
public:
    explicit MouseAreas(const MOUSE_RECT* list);

    const std::vector<MouseArea>& areas() const { return areas_; }
    // The child area that takes a press at the point, if any.
    std::optional<int> childAt(int32_t x, int32_t y) const;
    // The tooltip record of the innermost parent at the point that has one.
    const MOUSE_RECT* tooltipAt(int32_t x, int32_t y) const;
    // The cursor the host shows at the point: the child area's, else -1.
    int32_t cursorAt(int32_t x, int32_t y) const;
    // The help id of the innermost parent at the point that has one, else 0.
    uint32_t helpIdAt(int32_t x, int32_t y) const;
    // The bounding box of every sized area, if any has a size.
    std::optional<Box> extent() const;
    // Records read, the end record included; malformed lists stop early.
    size_t recordCount() const { return record_count_; }

private:
    bool insideAncestors(int index, int32_t x, int32_t y) const;
    std::vector<MouseArea> areas_;
    size_t record_count_ = 0;
};

}  // namespace tw
