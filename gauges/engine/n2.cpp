// N2E1..N2E4: the core speed (N2) tachometers of the four engines, and the
// display side of an engine start. While an engine is being started its N2 is
// built from the start state: the starter's seconds (kept by the start
// switches), raised on every update by the fuel time while the start lever is
// open, up to 62 % until the host reports the engine running; once it runs the
// pointer follows the host, never below 57 %, and the light-off ends above 63 %.
//
// Reads: 625/644/663/682 (N2, percent), 131/166/201/236 (engine running),
// 136/171/206/241 (named by the vernier and tooltip records). Sends: nothing.
// Sounds: none. Shares: StarterSeconds (raised and limited), LightOffActive
// (cleared), StarterEngaged, StartLeverOpen, StarterSwitch, FuelLeverTime,
// PowerAvailable (read); DisplayN2 (the gauges' own, also read by the N1
// tooltips).

#include <cmath>

#include "framework/per_engine.h"
#include "gauges/engine/dial.h"
#include "gauges/engine/tachometer.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_N2E1, gauge_N2E2, gauge_N2E3, gauge_N2E4;

extern "C" {
// The N2 shown, 0..120 %, as each main pointer last computed it.
double DisplayN2[EngineCount] = {};
}

namespace {

using namespace hostvar;
using namespace tachometer;

constexpr double StarterOnlyLimit = 22.0;   // the starter alone turns the core this far
constexpr double UnlitStartLimit = 62.0;    // no further until the host runs the engine
constexpr double RunningFloor = 57.0;       // a running engine never shows less
constexpr double LightOffEndsAbove = 63.0;  // the light-off is over past this

PerEngineVars engineRunning(EngineRunning1, EngineStride35);

// Step by step as the start goes; S is the engine's start progress itself.
void advanceStart(int n, double host_n2) {
    const double running = engineRunning[n];
    double& s = StarterSeconds[n];
    const bool stopped = running == 0.0;
    const bool engaged = StarterEngaged[n] == 1;
    const bool lever_open = StartLeverOpen[n] == 1;
    if (running == 1.0) s = host_n2;
    if (stopped && engaged && lever_open && s > 0) s += FuelLeverTime[n];
    if (stopped && engaged && lever_open && PowerAvailable == 0 && s > StarterOnlyLimit)
        s = StarterOnlyLimit;
    if (stopped && engaged && !lever_open && s > StarterOnlyLimit) s = StarterOnlyLimit;
    if (stopped && lever_open && s > UnlitStartLimit) s = UnlitStartLimit;
    if (stopped && StarterSwitch[n] == 0 && StartLeverOpen[n] == 0) s = host_n2;
    if (running == 1.0 && host_n2 < RunningFloor) s = RunningFloor;
    if (running == 1.0 && host_n2 > LightOffEndsAbove) LightOffActive[n] = 0;
}

struct N2 {
    static constexpr Engine Engines[EngineCount] = {
        {&gauge_N2E1, "Engine 1 RPM (%1!.1f!%%)"},
        {&gauge_N2E2, "Engine 2 RPM (%1!.1f!%%)"},
        {&gauge_N2E3, "Engine 3 RPM (%1!.1f!%%)"},
        {&gauge_N2E4, "Engine 4 RPM (%1!.1f!%%)"},
    };
    static constexpr uint32_t Overlay = 0x1910;
    static constexpr uint32_t PointerToken1 = N2Percent1;
    static constexpr uint32_t VernierToken1 = N2Vernier1;
    static constexpr uint32_t HelpId = 43810;

    template <int Engine>
    static double HOSTAPI pointer(ELEMENT_HEADER* e) {
        double host_n2 = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
        // A host N2 that is no number would stay in the start progress for good.
        if (std::isnan(host_n2)) host_n2 = 0.0;
        engineRunning.refresh(Engine);
        advanceStart(Engine, host_n2);
        DisplayN2[Engine] = clampToDial(StarterSeconds[Engine], DialLowest, DialHighest);
        return DisplayN2[Engine];
    }

    template <int Engine>
    static double HOSTAPI vernier(ELEMENT_HEADER*) {
        return unitsDrumValue(DisplayN2[Engine]);
    }

    // What the pointer shows, found by the record's token; any token but
    // engines 2 to 4's reads engine 1.
    static double HOSTAPI tooltipValue(double, uint32_t, const char*, MODULE_VAR* var,
                                       GAUGE_HEADER*) {
        const uint32_t token = var ? var->id : 0;
        return DisplayN2[engineOfToken(token, N2Vernier1, EngineStride35)];
    }
};

}  // namespace

constinit GAUGE_HEADER gauge_N2E1 = header<N2, 0>("N2E1");
constinit GAUGE_HEADER gauge_N2E2 = header<N2, 1>("N2E2");
constinit GAUGE_HEADER gauge_N2E3 = header<N2, 2>("N2E3");
constinit GAUGE_HEADER gauge_N2E4 = header<N2, 3>("N2E4");
