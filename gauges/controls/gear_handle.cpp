// GEAR_HANDLE: the landing gear lever and its position lights. The lever is a
// picture of the host's lever, and its area carries the host's gear event;
// the lights are computed from the legs' positions, the thrust levers and the
// engines. No gauge callback.
//
// Reads: 331 (gear lever), 332, 333, 334 (the legs: 0 up, 16383 down),
// 128/163/198/233 (thrust levers), 131/166/201/236 (engines running).
// Sends: 65570 (by the host, from the lever's area). Shares: PowerAvailable
// (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

extern GAUGE_HEADER gauge_GEAR_HANDLE;

namespace {

using namespace hostvar;

constexpr double LegDown = 16383.0;
constexpr double UnsafeBelow = 12000.0;       // a leg short of this is not locked
constexpr double LowThrustBelow = 1800.0;     // thrust lever 1 at approach power
constexpr double ReverseThrustSum = -6000.0;  // thrust times running, all engines

constexpr uint32_t BmpPanel = 9472;
constexpr uint32_t BmpLever = 9488;
constexpr uint32_t BmpLeftLegDown = 9504;
constexpr uint32_t BmpCentreLegDown = 9520;
constexpr uint32_t BmpRightLegDown = 9536;
constexpr uint32_t BmpUnsafe = 9552;
constexpr uint32_t BmpInTransit = 9568;
constexpr uint32_t BmpReverse = 9584;

constexpr uint32_t HelpGearLever = 43824;
constexpr uint32_t HelpGearLights = 43825;

constexpr MODULE_VAR engineVar(uint32_t first, int engine) {
    return hostVar(first + engine * EngineStride35);
}

MODULE_VAR unsafeThrustLever = hostVar(ThrustLever1);
MODULE_VAR thrustLever[EngineCount] = {engineVar(ThrustLever1, 0), engineVar(ThrustLever1, 1),
                                       engineVar(ThrustLever1, 2), engineVar(ThrustLever1, 3)};
MODULE_VAR engineRunning[EngineCount] = {engineVar(EngineRunning1, 0), engineVar(EngineRunning1, 1),
                                         engineVar(EngineRunning1, 2),
                                         engineVar(EngineRunning1, 3)};

// ---- Element callbacks ------------------------------------------------------

double lit(bool on) { return on && PowerAvailable == 1 ? 0.0 : -1.0; }

double legOf(ELEMENT_HEADER* e) { return refreshVar(elementAs<ELEMENT_ICON>(e)->source_var); }

double HOSTAPI legDownLight(ELEMENT_HEADER* e) { return lit(legOf(e) == LegDown); }

// Unsafe: a leg on its way, or not down while the thrust is at approach power.
double HOSTAPI unsafeLight(ELEMENT_HEADER* e) {
    const double leg = legOf(e);
    const double thrust = refreshVar(unsafeThrustLever);
    const bool moving = leg > 0.0 && leg < UnsafeBelow;
    const bool approach = leg < LegDown && thrust < LowThrustBelow;
    return lit(moving || approach);
}

double HOSTAPI inTransitLight(ELEMENT_HEADER* e) {
    const double leg = legOf(e);
    return lit(leg > 0.0 && leg < LegDown);
}

// Reverse thrust on the running engines.
double HOSTAPI reverseLight(ELEMENT_HEADER*) {
    double sum = 0.0;
    for (int n = 0; n < EngineCount; ++n)
        sum += refreshVar(thrustLever[n]) * refreshVar(engineRunning[n]);
    return lit(sum < ReverseThrustSum);
}

// ---- Records ----------------------------------------------------------------

constexpr double LeverTravelPerUnit = 0.0116;
constexpr uint32_t LitLight = ImageLuminous | ImageErase | ImageTransparent;
constexpr int32_t LightsY = 148;

constexpr ELEMENT_ICON light(uint32_t bitmap, int32_t x, uint32_t var_id, ElementCallback cb) {
    return icon({&gauge_GEAR_HANDLE, bitmap, x, LightsY, LitLight}, var_id, cb, 1);
}

// Bottom to top: panel, lever, then the lights.
constinit ELEMENT_ICON lights[] = {
    light(BmpLeftLegDown, 88, GearLeftPosition, legDownLight),
    light(BmpCentreLegDown, 116, GearPosition, legDownLight),
    light(BmpRightLegDown, 143, GearRightPosition, legDownLight),
    light(BmpUnsafe, 200, GearPosition, unsafeLight),
    light(BmpInTransit, 227, GearPosition, inTransitLight),
    light(BmpReverse, 171, GearPosition, reverseLight),
};
constinit ELEMENT_SLIDER lever = slider({&gauge_GEAR_HANDLE, BmpLever, 32, 2, ImageTransparent},
                                        scaled(0, 0.0), scaled(GearLever, LeverTravelPerUnit));
constinit ELEMENT_HEADER* panelNext[] = {
    &lever.header,     &lights[0].header, &lights[1].header, &lights[2].header,
    &lights[3].header, &lights[4].header, &lights[5].header, nullptr};
constinit ELEMENT_STATIC_IMAGE panel =
    staticImage({&gauge_GEAR_HANDLE, BmpPanel, 0, 0, ImageTransparent, panelNext});
constinit ELEMENT_HEADER* gearElements[] = {&panel, nullptr};

constexpr int32_t LeverCursor = 5;
constexpr int32_t NormalCursor = 0;

// The lever's area carries the host's gear event; the lights' area has no
// action.
constinit MOUSE_RECT gearMouse[] = {
    mouseParent(0, 0, 120, 250, HelpGearLever),
    mouseChildEvent(1, 62, 120, 200, LeverCursor, MouseLeftPress, hostevent::GearLever),
    mouseEndParent(),
    mouseParent(0, 260, 140, 80, HelpGearLights),
    mouseChildEvent(0, 0, 140, 80, NormalCursor, MouseLeftPress, 0),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_GEAR_HANDLE =
    makeGaugeHeader("GEAR_HANDLE", 100, gearElements, gearMouse, nullptr);
