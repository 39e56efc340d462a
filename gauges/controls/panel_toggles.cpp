// TOGGLE2..TOGGLE7: six push buttons that open and close the host's other
// panel windows. A press shows the button in for about four ticks, then the
// gauge sends its event; a second press before that releases it and sends
// nothing.
//
// Reads: 1 (tick counter). Sends: 65907..65912 (one per button). Sounds:
// none. Shares: the gauges' own PanelToggleState and PanelToggleDeadline.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/gauge_support.h"

extern GAUGE_HEADER gauge_TOGGLE2;
extern GAUGE_HEADER gauge_TOGGLE3;
extern GAUGE_HEADER gauge_TOGGLE4;
extern GAUGE_HEADER gauge_TOGGLE5;
extern GAUGE_HEADER gauge_TOGGLE6;
extern GAUGE_HEADER gauge_TOGGLE7;

constexpr int PanelToggleCount = 6;

extern "C" {

// One per button, TOGGLE2 first: 1 while the button is out, 0 while pressed;
// and the tick count after which a pressed button comes out.
int32_t PanelToggleState[PanelToggleCount] = {1, 1, 1, 1, 1, 1};
int32_t PanelToggleDeadline[PanelToggleCount] = {};

}  // extern "C"

namespace {

using namespace hostevent;

constexpr int32_t ButtonOut = 1;
constexpr int32_t ButtonIn = 0;
constexpr int32_t PressedTicks = 4;

constexpr uint32_t BmpFace = 12544;
constexpr uint32_t BmpButton = 12560;

constexpr uint32_t HelpPanelToggle = 43910;

struct PanelToggle {
    GAUGE_HEADER* gauge;
    const char* tooltip;
    uint32_t event;
};

constexpr PanelToggle PanelToggles[PanelToggleCount] = {
    {&gauge_TOGGLE2, "Toggle Radio Panel", ToggleRadioPanel},
    {&gauge_TOGGLE3, "Toggle Overhead Panel", ToggleOverheadPanel},
    {&gauge_TOGGLE4, "Toggle Throttle Quadrant", ToggleThrottleQuadrant},
    {&gauge_TOGGLE5, "Toggle Autopilot Panel", ToggleAutopilotPanel},
    {&gauge_TOGGLE6, "Toggle Standby Compass", ToggleStandbyCompass},
    {&gauge_TOGGLE7, "Toggle Weather Radar", ToggleWeatherRadar},
};

MODULE_VAR tickCounter[PanelToggleCount] = {
    hostVar(hostvar::TickCounter), hostVar(hostvar::TickCounter), hostVar(hostvar::TickCounter),
    hostVar(hostvar::TickCounter), hostVar(hostvar::TickCounter), hostVar(hostvar::TickCounter)};

// ---- Gauge callback ---------------------------------------------------------

// The pressed button comes out on the first update after its deadline.
template <int Toggle>
void HOSTAPI toggleCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const double now = refreshVar(tickCounter[Toggle]);
    if (PanelToggleState[Toggle] == ButtonIn && now > PanelToggleDeadline[Toggle]) {
        PanelToggleState[Toggle] = ButtonOut;
        sendEvent(PanelToggles[Toggle].event, 0);
    }
}

// ---- Element callbacks ------------------------------------------------------

template <int Toggle>
double HOSTAPI buttonIcon(ELEMENT_HEADER*) {
    return PanelToggleState[Toggle];
}

// ---- Mouse callbacks --------------------------------------------------------

template <int Toggle>
int32_t HOSTAPI buttonPress(PIXPOINT*, uint32_t) {
    if (PanelToggleState[Toggle] == ButtonOut) {
        PanelToggleState[Toggle] = ButtonIn;
        PanelToggleDeadline[Toggle] = tickDeadline(refreshVar(tickCounter[Toggle]), PressedTicks);
    } else {
        PanelToggleState[Toggle] = ButtonOut;
        PanelToggleDeadline[Toggle] = 0;
    }
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr int32_t ButtonCursor = 5;
constexpr uint32_t ButtonImages = 3;

template <int Toggle>
constexpr ElementPlace place(uint32_t bitmap, ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{PanelToggles[Toggle].gauge, bitmap, 0, 0, ImageTransparent, next};
}

// Each button's records: face and button picture, and its area.
template <int Toggle>
struct ToggleRecords {
    static constinit inline ELEMENT_ICON button =
        icon(place<Toggle>(BmpButton), 0, buttonIcon<Toggle>, ButtonImages);
    static constinit inline ELEMENT_HEADER* faceNext[] = {&button.header, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE face =
        staticImage(place<Toggle>(BmpFace, faceNext));
    static constinit inline ELEMENT_HEADER* elements[] = {&face, nullptr};
    static constinit inline MOUSE_RECT mouse[] = {
        mouseParent(0, 0, 0, 0, HelpPanelToggle),
        mouseTooltip(PanelToggles[Toggle].tooltip),
        mouseChild(0, 0, 30, 36, ButtonCursor, MouseLeftPress, buttonPress<Toggle>),
        mouseEndParent(),
        mouseEnd(),
    };
};

template <int Toggle>
constexpr GAUGE_HEADER toggleGauge(const char* name) {
    return makeGaugeHeader(name, 100, ToggleRecords<Toggle>::elements, ToggleRecords<Toggle>::mouse,
                           toggleCallback<Toggle>);
}

}  // namespace

constinit GAUGE_HEADER gauge_TOGGLE2 = toggleGauge<0>("TOGGLE2");
constinit GAUGE_HEADER gauge_TOGGLE3 = toggleGauge<1>("TOGGLE3");
constinit GAUGE_HEADER gauge_TOGGLE4 = toggleGauge<2>("TOGGLE4");
constinit GAUGE_HEADER gauge_TOGGLE5 = toggleGauge<3>("TOGGLE5");
constinit GAUGE_HEADER gauge_TOGGLE6 = toggleGauge<4>("TOGGLE6");
constinit GAUGE_HEADER gauge_TOGGLE7 = toggleGauge<5>("TOGGLE7");
