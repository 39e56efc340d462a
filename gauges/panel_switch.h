// The records of the small panel switches, buttons and lamps: a plate with one
// icon on it (as a value, or as a type per gauge), and the mouse lists of a
// switch with one area, of a rocker with an upper and a lower area, and of a
// lamp that only has its tooltip.
#pragma once

#include <array>
#include <cstdint>

#include "framework/gauge.h"

// The host's cursor for these switches and buttons.
constexpr int32_t SwitchCursor = 5;

// A plate with one icon drawn on it, in the order the host walks them.
struct PlateWithIcon {
    ELEMENT_ICON icon;
    ELEMENT_HEADER* plate_next[2];
    ELEMENT_STATIC_IMAGE plate;
    ELEMENT_HEADER* elements[2];
};

// `self` is the object being initialised: its element lists point into it. The
// icon shows no host variable: its callback gives the image.
constexpr PlateWithIcon plateWithIcon(PlateWithIcon* self, GAUGE_HEADER* gauge, uint32_t plate,
                                      uint32_t icon_bitmap, uint32_t images, ElementCallback cb,
                                      uint32_t icon_flags = ImageTransparent,
                                      uint32_t plate_flags = 0) {
    return PlateWithIcon{icon({gauge, icon_bitmap, 0, 0, icon_flags}, 0, cb, images),
                         {&self->icon.header, nullptr},
                         staticImage({gauge, plate, 0, 0, plate_flags, self->plate_next}),
                         {&self->plate, nullptr}};
}

struct AreaBox {
    int32_t x, y, width, height;
};

// The overhead's toggle switch: its plate and its lever's three pictures, and
// the lever's area.
constexpr uint32_t BmpToggleSwitchPlate = 0x3100;
constexpr uint32_t BmpToggleSwitch = 0x3110;
constexpr uint32_t ToggleSwitchImages = 3;
constexpr AreaBox ToggleSwitchArea = {0, 0, 30, 36};

constexpr PlateWithIcon toggleSwitch(PlateWithIcon* self, GAUGE_HEADER* gauge,
                                     ElementCallback position) {
    return plateWithIcon(self, gauge, BmpToggleSwitchPlate, BmpToggleSwitch, ToggleSwitchImages,
                         position);
}

// One area over the whole switch, under a tooltip that covers the gauge.
using OneAreaMouse = std::array<MOUSE_RECT, 5>;
constexpr OneAreaMouse oneAreaMouse(const char* tooltip, AreaBox box, MouseCallback click,
                                    uint32_t help_id = 0) {
    return {mouseParent(0, 0, 0, 0, help_id), mouseTooltip(tooltip),
            mouseChild(box.x, box.y, box.width, box.height, SwitchCursor, MouseLeftPress, click),
            mouseEndParent(), mouseEnd()};
}

// A rocker: the upper area moves it down one position, the lower one up. Where
// the two overlap, the upper one, first in the list, takes the press.
using RockerMouse = std::array<MOUSE_RECT, 6>;
constexpr RockerMouse rockerMouse(const char* tooltip, AreaBox upper, MouseCallback down,
                                  AreaBox lower, MouseCallback up) {
    return {
        mouseParent(0, 0, 0, 0),
        mouseTooltip(tooltip),
        mouseChild(upper.x, upper.y, upper.width, upper.height, SwitchCursor, MouseLeftPress, down),
        mouseChild(lower.x, lower.y, lower.width, lower.height, SwitchCursor, MouseLeftPress, up),
        mouseEndParent(),
        mouseEnd()};
}

// A lamp: a tooltip over the whole gauge and nothing to press.
using LampMouse = std::array<MOUSE_RECT, 4>;
constexpr LampMouse lampMouse(const char* tooltip) {
    return {mouseParent(0, 0, 0, 0), mouseTooltip(tooltip), mouseEndParent(), mouseEnd()};
}

// The same records as types, one per gauge: a plate and one icon, a switch's
// position or a lamp, with its element callback.
template <GAUGE_HEADER& Gauge, uint32_t Plate, uint32_t Picture, uint32_t Pictures,
          ElementCallback Value>
struct PlateAndIcon {
    static constinit inline PlateWithIcon records =
        plateWithIcon(&PlateAndIcon::records, &Gauge, Plate, Picture, Pictures, Value,
                      ImageTransparent, ImageTransparent);
    static constexpr ELEMENT_HEADER** elements = records.elements;
};

// An icon showing a module variable as its image.
template <typename T, T& Position>
double HOSTAPI positionIcon(ELEMENT_HEADER*) {
    return Position;
}

// Child areas of the panels: a left press, the pointing hand.
constexpr MOUSE_RECT panelClick(int32_t x, int32_t y, int32_t w, int32_t h, MouseCallback cb) {
    return mouseChild(x, y, w, h, SwitchCursor, MouseLeftPress, cb);
}
