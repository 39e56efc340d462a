// ALT_WARN: the altitude alerter's separate light, lit with power between 300
// and 1000 feet from the altitude dialled on ALT_SEL. Its tones are ALT_SEL's.
//
// Reads: 74 (altitude, through the light's own record). Sends: nothing.
// Sounds: none. Shares: AlerterAltitude (read), AlerterDeviation,
// PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/controls/altitude_alerter.h"

extern GAUGE_HEADER gauge_ALT_WARN;

namespace {

constexpr uint32_t BmpFace = 16704;
constexpr uint32_t BmpLight = 16720;

double HOSTAPI alerterLight(ELEMENT_HEADER* e) {
    updateAlerterDeviation(refreshVar(elementAs<ELEMENT_ICON>(e)->source_var));
    return alerterLightShown() ? 0.0 : -1.0;
}

constinit ELEMENT_ICON light =
    icon({&gauge_ALT_WARN, BmpLight, 0, 0, ImageTransparent}, hostvar::Altitude, alerterLight, 1);
constinit ELEMENT_HEADER* faceNext[] = {&light.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_ALT_WARN, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* altWarnElements[] = {&face, nullptr};

constinit MOUSE_RECT altWarnMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Altitude Alerter Light"),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_ALT_WARN =
    makeGaugeHeader("ALT_WARN", 100, altWarnElements, altWarnMouse, nullptr);
