// PITOT: the six-position pitot heater selector. Its first step switches the
// host's pitot heat; every step blinks the heater failure light.
//
// Reads: 1 (tick counter), 13 (the host's pitot heat: 0 off). Sends: 66072
// (heat on), 66073 (heat off). Sounds: sndClick. Shares: PowerAvailable
// (read), PitotHeaterInop and PitotHeaterInopDeadline (set), and the gauge's
// own PitotSwitch.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "gauges/gauge_support.h"

extern GAUGE_HEADER gauge_PITOT;

extern "C" {

// Selector position, 0 (off) to 5.
uint8_t PitotSwitch = 0;

}  // extern "C"

namespace {

constexpr uint8_t SelectorOff = 0;
constexpr uint8_t SelectorFirst = 1;
constexpr uint8_t SelectorLast = 5;
constexpr int32_t InopBlinkTicks = 5;

constexpr uint32_t BmpPanel = 10064;
constexpr uint32_t BmpSelector = 10080;

MODULE_VAR pitotHeat = hostVar(hostvar::PitotHeat);
MODULE_VAR tickCounter = hostVar(hostvar::TickCounter);

// ---- Gauge callback ---------------------------------------------------------

// With the host's heat off the selector starts off; otherwise it keeps its
// position.
void HOSTAPI pitotCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreInitialize) return;
    if (refreshVar(pitotHeat) == 0.0) PitotSwitch = SelectorOff;
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI selectorIcon(ELEMENT_HEADER*) { return PitotSwitch; }

// ---- Mouse callbacks --------------------------------------------------------

// Every step clicks and, with power, lights the heater failure light for a
// few ticks.
void stepped() {
    soundPlay(sndClick, SoundPlayOnce);
    if (PowerAvailable != 1) return;
    PitotHeaterInop = 1;
    PitotHeaterInopDeadline = tickDeadline(refreshVar(tickCounter), InopBlinkTicks);
}

int32_t HOSTAPI stepDown(PIXPOINT*, uint32_t) {
    if (PitotSwitch <= SelectorOff || PitotSwitch > SelectorLast) return 0;
    if (PitotSwitch == SelectorFirst) sendEvent(hostevent::PitotHeatOff, 0);
    --PitotSwitch;
    stepped();
    return 0;
}

int32_t HOSTAPI stepUp(PIXPOINT*, uint32_t) {
    if (PitotSwitch >= SelectorLast) return 0;
    if (PitotSwitch == SelectorOff) sendEvent(hostevent::PitotHeatOn, 0);
    ++PitotSwitch;
    stepped();
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t SelectorImages = 6;

constinit ELEMENT_ICON selector =
    icon({&gauge_PITOT, BmpSelector, 0, 0, ImageTransparent}, 0, selectorIcon, SelectorImages);
constinit ELEMENT_HEADER* panelNext[] = {&selector.header, nullptr};
constinit ELEMENT_STATIC_IMAGE panel =
    staticImage({&gauge_PITOT, BmpPanel, 0, 0, ImageTransparent, panelNext});
constinit ELEMENT_HEADER* pitotElements[] = {&panel, nullptr};

// The two areas overlap; the step down comes first in the list.
constinit MOUSE_RECT pitotMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseParent(0, 0, 70, 70),
    mouseTooltip("Pitot Heater Switch"),
    mouseChild(0, 0, 34, 70, CursorDownArrow, MouseLeftPress, stepDown),
    mouseChild(25, 0, 30, 40, CursorUpArrow, MouseLeftPress, stepUp),
    mouseEndParent(),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_PITOT =
    makeGaugeHeader("PITOT", 100, pitotElements, pitotMouse, pitotCallback);
