// CONTROLS: the control position indicator, three pointers that show the
// host's flight-control positions while the aircraft has power and rest at 0
// without it.
//
// Reads: 313 (needle), 316 (horizontal pointer), 317 (vertical pointer).
// Sends: nothing. Sounds: none. Shares: PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

extern GAUGE_HEADER gauge_CONTROLS;

namespace {

using namespace hostvar;

// Host units per degree of the needle and per pixel of the two sliders.
constexpr double NeedleUnits = 550.0;
constexpr double VerticalUnits = 1850.0;
constexpr double HorizontalUnits = 2000.0;

constexpr uint32_t BmpFace = 0x3900;
constexpr uint32_t BmpVerticalPointer = 0x3910;
constexpr uint32_t BmpNeedle = 0x3920;
constexpr uint32_t BmpHorizontalPointer = 0x3930;

constexpr PIXPOINT NeedlePivot = {0, 0};  // the needle bitmap turns about its corner
constexpr double NeedleRate = 12;         // degrees per update at most

constexpr uint32_t HelpUpperControl = 43896;
constexpr uint32_t HelpMiddleControl = 43868;
constexpr uint32_t HelpLowerControl = 43859;

double powered(MODULE_VAR& position, double units) {
    const double value = refreshVar(position);
    return PowerAvailable == 1 ? value / units : 0.0;
}

double HOSTAPI controlNeedle(ELEMENT_HEADER* e) {
    return powered(elementAs<ELEMENT_NEEDLE>(e)->source_var, NeedleUnits);
}

double HOSTAPI verticalPointer(ELEMENT_HEADER* e) {
    return powered(elementAs<ELEMENT_SLIDER>(e)->y.source_var, VerticalUnits);
}

double HOSTAPI horizontalPointer(ELEMENT_HEADER* e) {
    return powered(elementAs<ELEMENT_SLIDER>(e)->x.source_var, HorizontalUnits);
}

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y,
                             ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{&gauge_CONTROLS, bitmap, x, y, ImageTransparent, next};
}

// Each slider moves along one axis only, one pixel per unit its callback gives.
constinit ELEMENT_NEEDLE needlePointer = needle(place(BmpNeedle, 40, 40), ControlPositionNeedle,
                                                controlNeedle, NeedlePivot, nullptr, 0, NeedleRate);
constinit ELEMENT_SLIDER verticalSlider =
    slider(place(BmpVerticalPointer, 36, 66), scaled(0, 0.0),
           scaled(ControlPositionVertical, 1.0, verticalPointer));
constinit ELEMENT_SLIDER horizontalSlider =
    slider(place(BmpHorizontalPointer, 39, 9),
           scaled(ControlPositionHorizontal, 1.0, horizontalPointer), scaled(0, 0.0));
constinit ELEMENT_HEADER* faceNext[] = {&needlePointer.header, &verticalSlider.header,
                                        &horizontalSlider.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face = staticImage({&gauge_CONTROLS, BmpFace, 0, 0, 0, faceNext});
constinit ELEMENT_HEADER* controlsElements[] = {&face, nullptr};

// Help only: no tooltip and nothing to press.
constinit MOUSE_RECT controlsMouse[] = {
    mouseParent(25, 6, 32, 17, HelpUpperControl),
    mouseEndParent(),
    mouseParent(15, 28, 53, 27, HelpMiddleControl),
    mouseEndParent(),
    mouseParent(32, 56, 19, 25, HelpLowerControl),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_CONTROLS =
    makeGaugeHeader("CONTROLS", 100, controlsElements, controlsMouse, nullptr);
