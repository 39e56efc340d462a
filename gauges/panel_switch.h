// The records of a small panel gauge: a plate (static image) and one icon on
// it, a switch's position or a lamp, with its element callback.
#pragma once

#include "framework/gauge.h"

template <GAUGE_HEADER& Gauge, uint32_t Plate, uint32_t Picture, uint32_t Pictures,
          ElementCallback Value>
struct PlateWithIcon {
    static constinit inline ELEMENT_ICON picture =
        icon({&Gauge, Picture, 0, 0, ImageTransparent}, 0, Value, Pictures);
    static constinit inline ELEMENT_HEADER* plateNext[] = {&picture.header, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE plate =
        staticImage({&Gauge, Plate, 0, 0, ImageTransparent, plateNext});
    static constinit inline ELEMENT_HEADER* elements[] = {&plate, nullptr};
};

// An icon showing a module variable as its image.
template <typename T, T& Position>
double HOSTAPI positionIcon(ELEMENT_HEADER*) {
    return Position;
}

// A gauge whose callback has nothing to do.
inline void HOSTAPI noServiceAction(GAUGE_HEADER*, int32_t, uintptr_t) {}

// Child areas of the panels: a left press, the pointing hand.
constexpr int32_t PanelClickCursor = 5;
constexpr MOUSE_RECT panelClick(int32_t x, int32_t y, int32_t w, int32_t h, MouseCallback cb) {
    return mouseChild(x, y, w, h, PanelClickCursor, MouseLeftPress, cb);
}
