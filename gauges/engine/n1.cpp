// N1E1..N1E4: the fan speed (N1) tachometers of the four engines. Display only:
// the pointer shows the host's N1 within the dial.
//
// Reads: 624/643/662/681 (N1, percent), 135/170/205/240 (named by the vernier
// and tooltip records). Sends: nothing. Sounds: none. Shares: DisplayN1 (the
// gauges' own); DisplayN2 for a tooltip record of no N1 gauge.

#include "framework/per_engine.h"
#include "gauges/engine/dial.h"
#include "gauges/engine/tachometer.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_N1E1, gauge_N1E2, gauge_N1E3, gauge_N1E4;

extern "C" {
// The N1 shown, 0..120 %, as each main pointer last computed it.
double DisplayN1[EngineCount] = {};
extern double DisplayN2[EngineCount];
}

namespace {

using namespace hostvar;
using namespace tachometer;

struct N1 {
    static constexpr Engine Engines[EngineCount] = {
        {&gauge_N1E1, "Engine 1 Fan RPM (%1!.1f!%%)"},
        {&gauge_N1E2, "Engine 2 Fan RPM (%1!.1f!%%)"},
        {&gauge_N1E3, "Engine 3 Fan RPM (%1!.1f!%%)"},
        {&gauge_N1E4, "Engine 4 Fan RPM (%1!.1f!%%)"},
    };
    static constexpr uint32_t Overlay = 0x1914;
    static constexpr uint32_t PointerToken1 = N1Percent1;
    static constexpr uint32_t VernierToken1 = N1Vernier1;
    static constexpr uint32_t HelpId = 43809;

    template <int Engine>
    static double HOSTAPI pointer(ELEMENT_HEADER* e) {
        const double n1 = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
        DisplayN1[Engine] = clampToDial(n1, DialLowest, DialHighest);
        return DisplayN1[Engine];
    }

    template <int Engine>
    static double HOSTAPI vernier(ELEMENT_HEADER*) {
        return unitsDrumValue(DisplayN1[Engine]);
    }

    // What the pointer shows, found by the record's token.
    static double HOSTAPI tooltipValue(double, uint32_t, const char*, MODULE_VAR* var,
                                       GAUGE_HEADER*) {
        const uint32_t token = var ? var->id : 0;
        for (int n = 0; n < EngineCount; ++n)
            if (token == N1Vernier1 + n * EngineStride35) return DisplayN1[n];
        return DisplayN2[0];
    }
};

}  // namespace

constinit GAUGE_HEADER gauge_N1E1 = header<N1, 0>("N1E1");
constinit GAUGE_HEADER gauge_N1E2 = header<N1, 1>("N1E2");
constinit GAUGE_HEADER gauge_N1E3 = header<N1, 2>("N1E3");
constinit GAUGE_HEADER gauge_N1E4 = header<N1, 3>("N1E4");
