// OVRSPD_WARN: the overspeed light and horn. Above the maximum operating speed
// the light flashes with the clock's seconds and the horn sounds while the
// speed stays above the limit and the power is on.
//
// Reads: 5 (clock seconds), 61 (indicated airspeed), 63 (maximum operating
// speed, through the light's own record). Sends: nothing. Sounds: sndOverspeed,
// played once on every update of the warning. Shares: PowerAvailable (read).

#include <cstdint>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_OVRSPD_WARN;

namespace {

using namespace hostvar;

constexpr double BarberPoleUnits = 128.0;  // token 63 counts per knot

constexpr uint32_t BmpFace = 16672;
constexpr uint32_t BmpLight = 16688;

MODULE_VAR clockSeconds = hostVar(ClockSeconds);
MODULE_VAR airspeed = hostVar(IndicatedAirspeed);

double HOSTAPI overspeedLight(ELEMENT_HEADER* e) {
    const double limit = elementAs<ELEMENT_ICON>(e)->source_var.var_value / BarberPoleUnits;
    const int32_t seconds = truncToInt(refreshVar(clockSeconds));
    const double speed = refreshVar(airspeed);
    if (PowerAvailable == 1 && speed > limit) {
        // Played once, again on every update: a horn still sounding goes on,
        // one that has ended starts afresh. Nothing stops it; it dies out by
        // itself at its end once the warning (or the gauge's updating) ends.
        soundPlay(sndOverspeed, SoundPlayOnce);
        return seconds % 2 == 0 ? 0.0 : -1.0;
    }
    return -1.0;
}

constinit ELEMENT_ICON light = icon({&gauge_OVRSPD_WARN, BmpLight, 0, 0, ImageTransparent},
                                    BarberPoleSpeed, overspeedLight, 1);
constinit ELEMENT_HEADER* faceNext[] = {&light.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_OVRSPD_WARN, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* overspeedElements[] = {&face, nullptr};

constinit MOUSE_RECT overspeedMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Overspeed Warning Light"),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_OVRSPD_WARN =
    makeGaugeHeader("OVRSPD_WARN", 100, overspeedElements, overspeedMouse, noServiceAction);
