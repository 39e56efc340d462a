// RMI: the radio magnetic indicator, with the rotating card, two bearing
// pointers, a flag and the selector that switches the pointers' sources. No
// gauge callback.
//
// Reads: 81 (heading), 39 and 59 (the pointers' normal sources), 550 (pointer
// 1's alternate source), 276 (flag input), and the calculator expression
// "(A:ADF RADIAL:2,degrees)" (pointer 2's alternate source). Sends: nothing.
// Shares: PowerAvailable (read), and the gauge's own RmiPointerMode.

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

extern GAUGE_HEADER gauge_RMI;

extern "C" {

// The selector: 45, 135, 225 or 315, which is also its needle's angle.
// Pointer 1 takes its alternate source at 135 and 225, pointer 2 at 225 and 315.
int32_t RmiPointerMode = 45;

}  // extern "C"

namespace {

using namespace hostvar;

constexpr int32_t FirstMode = 45;
constexpr int32_t LastMode = 315;
constexpr int32_t ModeStep = 90;
constexpr int32_t BothAlternate = 225;
constexpr int32_t Pointer1Alternate = 135;
constexpr int32_t Pointer2Alternate = 315;

constexpr double PointerZero = 90.0;  // a bearing of 0 points straight up
constexpr const char* SecondAdfRadial = "(A:ADF RADIAL:2,degrees)";

constexpr uint32_t BmpFace = 0x1600;
constexpr uint32_t BmpPointer1 = 0x1610;
constexpr uint32_t BmpPointer2 = 0x1620;
constexpr uint32_t BmpCard = 0x1630;
constexpr uint32_t BmpSelector = 0x1640;
constexpr uint32_t BmpFlag = 0x1650;

constexpr uint32_t HelpRmi = 43866;

constexpr double FlagShown = 0.0;
constexpr double FlagHidden = -1.0;

constexpr double finiteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

MODULE_VAR pointer1Alternate = hostVar(RmiPointer1AlternateBearing);

// What the host's calculator gives; 0 when it gives nothing.
double calculated(const char* expression) {
    double result = 0.0;
    if (PANEL_SERVICES* s = panelServices())
        s->execute_calculator_code(expression, &result, nullptr, nullptr);
    return result;
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI cardHeading(ELEMENT_HEADER* e) {
    return finiteOrZero(refreshVar(elementAs<ELEMENT_SPRITE>(e)->rotation.source_var));
}

double HOSTAPI pointer1(ELEMENT_HEADER* e) {
    const bool alternate = RmiPointerMode == Pointer1Alternate || RmiPointerMode == BothAlternate;
    const double bearing = alternate ? refreshVar(pointer1Alternate)
                                     : refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
    return finiteOrZero(bearing) - PointerZero;
}

double HOSTAPI pointer2(ELEMENT_HEADER* e) {
    const bool alternate = RmiPointerMode == BothAlternate || RmiPointerMode == Pointer2Alternate;
    const double bearing = alternate ? calculated(SecondAdfRadial)
                                     : refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
    return finiteOrZero(bearing) - PointerZero;
}

double HOSTAPI flag(ELEMENT_HEADER* e) {
    const double input = refreshVar(elementAs<ELEMENT_ICON>(e)->source_var);
    return input == 1.0 || PowerAvailable == 0 ? FlagShown : FlagHidden;
}

double HOSTAPI selector(ELEMENT_HEADER*) { return RmiPointerMode; }

// ---- Mouse callbacks --------------------------------------------------------

int32_t HOSTAPI selectorUp(PIXPOINT*, uint32_t) {
    // Tested before the step, which so never overflows.
    RmiPointerMode = RmiPointerMode > LastMode - ModeStep ? FirstMode : RmiPointerMode + ModeStep;
    return 0;
}

int32_t HOSTAPI selectorDown(PIXPOINT*, uint32_t) {
    RmiPointerMode = RmiPointerMode < ModeStep ? LastMode : RmiPointerMode - ModeStep;
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t LitSmoothImage =
    ImageLuminous | ImageBilinearColor | ImageErase | ImageTransparent;
constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr PIXPOINT Centre = {134, 134};
constexpr PIXPOINT PointerPivot = {93, 13};

// Bottom to top: face, card, pointer 2, pointer 1, flag, selector.
constinit ELEMENT_NEEDLE selectorNeedle =
    needle({&gauge_RMI, BmpSelector, 32, 32, LitSmoothImage}, 0, selector, {24, 24}, nullptr, 0, 0);
constinit ELEMENT_HEADER* flagNext[] = {&selectorNeedle.header, nullptr};
constinit ELEMENT_ICON flagIcon =
    icon({&gauge_RMI, BmpFlag, 46, 178, LitImage, flagNext}, NavigationFlag, flag, 1);
constinit ELEMENT_HEADER* pointer1Next[] = {&flagIcon.header, nullptr};
constinit ELEMENT_NEEDLE pointer1Needle =
    needle({&gauge_RMI, BmpPointer1, Centre.x, Centre.y, LitSmoothImage, pointer1Next},
           RmiPointer1Bearing, pointer1, PointerPivot, nullptr, 0, 0);
constinit ELEMENT_HEADER* pointer2Next[] = {&pointer1Needle.header, nullptr};
constinit ELEMENT_NEEDLE pointer2Needle =
    needle({&gauge_RMI, BmpPointer2, Centre.x, Centre.y, LitSmoothImage, pointer2Next},
           RmiPointer2Bearing, pointer2, PointerPivot, nullptr, 0, 0);
constinit ELEMENT_HEADER* cardNext[] = {&pointer2Needle.header, nullptr};
constinit ELEMENT_SPRITE card =
    sprite({&gauge_RMI, BmpCard, 20, 20, LitSmoothImage, cardNext}, {135, 134}, 1.2, 1.2,
           scaled(0, 0.0), scaled(0, 0.0), scaled(Heading, 1.0, cardHeading));
constinit ELEMENT_HEADER* faceNext[] = {&card.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_RMI, BmpFace, 0, 0, ImageErase | ImageTransparent, faceNext});
constinit ELEMENT_HEADER* rmiElements[] = {&face, nullptr};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

constinit MOUSE_RECT rmiMouse[] = {
    mouseParent(0, 0, 276, 270, HelpRmi),
    mouseChild(6, 12, 20, 32, CursorUpArrow, Knob, selectorUp),
    mouseChild(28, 12, 20, 32, CursorDownArrow, Knob, selectorDown),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_RMI = makeGaugeHeader("RMI", 100, rmiElements, rmiMouse, nullptr);
