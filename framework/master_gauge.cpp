// FLOOD_SW: the flood lighting switch, first gauge of Linkage.
//
// Reads: FloodLightsOn. Sends: 66056 (lights on), 66057 (lights off).
// Shares: FloodLightsOn.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

extern GAUGE_HEADER gauge_FLOOD_SW;

namespace {

double HOSTAPI floodSwitchIcon(ELEMENT_HEADER*) { return FloodLightsOn; }

int32_t HOSTAPI floodSwitchClick(PIXPOINT*, uint32_t) {
    PANEL_SERVICES* host = panelServices();
    if (FloodLightsOn == 0) {
        host->trigger_key_event(hostevent::FloodLightsOn, 0);
        FloodLightsOn = 1;
    } else if (FloodLightsOn == 1) {
        host->trigger_key_event(hostevent::FloodLightsOff, 0);
        FloodLightsOn = 0;
    }
    return 0;
}

ELEMENT_ICON floodSwitch =
    icon({&gauge_FLOOD_SW, 2400, 0, 0, ImageTransparent}, 0, floodSwitchIcon, 2);
ELEMENT_HEADER* floodBackgroundNext[] = {&floodSwitch.header, nullptr};
ELEMENT_STATIC_IMAGE floodBackground =
    staticImage({&gauge_FLOOD_SW, 2384, 0, 0, ImageTransparent, floodBackgroundNext});
ELEMENT_HEADER* floodElements[] = {&floodBackground, nullptr};

MOUSE_RECT floodMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Flood Lighting Switch"),
    mouseChild(0, 0, 54, 54, 5, MouseLeftPress, floodSwitchClick),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

GAUGE_HEADER gauge_FLOOD_SW = makeGaugeHeader("FLOOD_SW", 100, floodElements, floodMouse, nullptr);
