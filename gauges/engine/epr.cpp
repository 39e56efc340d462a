// EPR1..EPR4 and OLD_EPR1..OLD_EPR4: the engine pressure ratio of the four
// engines in two dial styles, a 360 degree dial reading 1.15 to 2.25 and an
// older one reading 1.0 to 3.5 over 325 degrees. The host has no EPR for this
// aircraft, so each needle computes it from the engine's rotor speed with the
// engine model. Each dial carries a target bug set by two knobs; both styles
// show and move the same bug of an engine.
//
// Reads: 626/645/664/683 (rotor speed, percent), and the model's 61 and 64.
// Sends: nothing. Sounds: none. Shares: EprBug and EprTooltipVariant (the
// gauges' own).

#include <array>
#include <cstddef>

#include "framework/host_ids.h"
#include "framework/per_engine.h"
#include "gauges/engine/dial.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_EPR1, gauge_EPR2, gauge_EPR3, gauge_EPR4;
extern GAUGE_HEADER gauge_OLD_EPR1, gauge_OLD_EPR2, gauge_OLD_EPR3, gauge_OLD_EPR4;

extern "C" {
// The target bug of each engine; below 0 until an engine-1 gauge sets them.
double EprBug[EngineCount] = {-1.0, -1.0, -1.0, -1.0};
// The engine model's variant that the tooltips of both styles use.
int32_t EprTooltipVariant = 1;
}

namespace {

using namespace hostvar;

constexpr double BugStep = 0.01;

struct Limits {
    double floor, ceiling;
};

struct Box {
    int32_t x, y, width, height;
};

// Everything that tells the two styles apart. A needle's angle is
// (EPR - zero) * degrees_per_unit + offset.
struct Style {
    GAUGE_HEADER* gauges[EngineCount];
    const char* names[EngineCount];
    uint32_t face, overlay;
    PIXPOINT overlay_at, centre, bug_pivot;
    Limits shown;             // the needle's EPR stops at these
    Limits bug[EngineCount];  // each knob's limits for its own engine's bug
    double zero, degrees_per_unit, offset;
    Box down, up;        // the knobs
    bool bezel;          // an outer parent area over the bezel
    double default_bug;  // engine 1's gauge sets the bugs to this first
};

constexpr Style Modern = {
    .gauges = {&gauge_EPR1, &gauge_EPR2, &gauge_EPR3, &gauge_EPR4},
    .names = {"EPR1", "EPR2", "EPR3", "EPR4"},
    .face = 0x1700,
    .overlay = 0x1720,
    .overlay_at = {0, 0},
    .centre = {166, 184},
    .bug_pivot = {-114, 12},
    .shown = {1.17, 2.23},
    .bug = {{1.17, 2.23}, {0.8, 2.4}, {0.8, 2.4}, {0.8, 2.4}},
    .zero = 1.15,
    .degrees_per_unit = 327.27272727272725,  // 360 / 1.1
    .offset = 0.0,
    .down = {0, 248, 22, 44},
    .up = {22, 248, 22, 44},
    .bezel = true,
    .default_bug = 1.98,
};

constexpr Style Old = {
    .gauges = {&gauge_OLD_EPR1, &gauge_OLD_EPR2, &gauge_OLD_EPR3, &gauge_OLD_EPR4},
    .names = {"OLD_EPR1", "OLD_EPR2", "OLD_EPR3", "OLD_EPR4"},
    .face = 0x1750,
    .overlay = 0x1760,
    .overlay_at = {23, 39},
    .centre = {173, 192},
    .bug_pivot = {-122, 12},
    .shown = {1.0, 3.5},
    .bug = {{1.0, 3.5}, {1.0, 3.5}, {1.0, 3.5}, {1.0, 3.5}},
    .zero = 1.0,
    .degrees_per_unit = 130.0,  // 1.0 to 3.5 over 325 degrees
    .offset = -45.0,
    .down = {51, 265, 30, 60},
    .up = {20, 265, 30, 60},
    .bezel = false,
    .default_bug = 2.6,
};

constexpr const char* Tooltips[EngineCount] = {
    "Engine 1 EPR (%1!.2f!)",
    "Engine 2 EPR (%1!.2f!)",
    "Engine 3 EPR (%1!.2f!)",
    "Engine 4 EPR (%1!.2f!)",
};

// A needle finds its engine from the rotor token its own record names.
int engineOfNeedle(ELEMENT_HEADER* e) {
    return engineOfToken(elementAs<ELEMENT_NEEDLE>(e)->source_var.id, EprRotor1, EngineStride19);
}

template <const Style& S>
double angleOf(double epr) {
    return (epr - S.zero) * S.degrees_per_unit + S.offset;
}

// ---- Gauge callbacks --------------------------------------------------------

// Engine 1's gauges choose the tooltips' variant (the last one wins) and give
// the bugs their first setting (the first one wins).
void setDefaultBugs(double setting) {
    if (EprBug[0] >= 0) return;
    for (double& bug : EprBug) bug = setting;
}

void HOSTAPI eprEngine1(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreInitialize) return;
    EprTooltipVariant = 5;
    setDefaultBugs(Modern.default_bug);
}

void HOSTAPI oldEprEngine1(GAUGE_HEADER* gauge, int32_t service, uintptr_t) {
    if (service != ServicePreInitialize) return;
    EprTooltipVariant = gaugeParameter(gauge);
    setDefaultBugs(Old.default_bug);
}

// ---- Element callbacks ------------------------------------------------------

// The gauge's parameter picks the model's variant for its needles.
template <const Style& S>
double HOSTAPI eprNeedle(ELEMENT_HEADER* e) {
    const double rotor = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
    const double epr = computeEpr(rotor, gaugeParameter(e->gauge_header));
    return angleOf<S>(clampToDial(epr, S.shown.floor, S.shown.ceiling));
}

template <const Style& S>
double HOSTAPI bugNeedle(ELEMENT_HEADER* e) {
    return angleOf<S>(EprBug[engineOfNeedle(e)]);
}

// Unclamped: the tooltip tells what the needle cannot show.
double HOSTAPI eprTooltipValue(double number, uint32_t, const char*, MODULE_VAR* var,
                               GAUGE_HEADER*) {
    return computeEpr(var ? var->var_value : number, EprTooltipVariant);
}

// ---- Mouse callbacks --------------------------------------------------------

template <const Style& S, int N>
int32_t HOSTAPI bugDown(PIXPOINT*, uint32_t) {
    EprBug[N] -= BugStep;
    if (EprBug[N] < S.bug[N].floor) EprBug[N] = S.bug[N].floor;
    return 0;
}

template <const Style& S, int N>
int32_t HOSTAPI bugUp(PIXPOINT*, uint32_t) {
    EprBug[N] += BugStep;
    if (EprBug[N] > S.bug[N].ceiling) EprBug[N] = S.bug[N].ceiling;
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpBug = 0x1710;
constexpr uint32_t BmpNeedle = 0x1870;
constexpr PIXPOINT NeedlePivot = {28, 28};
constexpr double NeedleRate = 6;

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr uint32_t LitSmoothImage = LitImage | ImageBilinearColor;

// The needles go dark with the host's failure 2.
constexpr FAILURE_RECORD NeedleFailures[] = {{2, 0}, {0, 0}};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;
constexpr Box Bezel = {17, 31, 294, 294};

// One gauge's records, bottom to top: face, overlay, bug, EPR needle.
template <const Style& S, int N>
struct Records {
    static constexpr ElementPlace at(uint32_t bitmap, PIXPOINT p, uint32_t flags,
                                     ELEMENT_HEADER** next = nullptr,
                                     const FAILURE_RECORD* failure = nullptr) {
        return ElementPlace{S.gauges[N], bitmap, p.x, p.y, flags, next, failure};
    }
    static constexpr uint32_t Rotor = EprRotor1 + N * EngineStride19;

    static constinit inline ELEMENT_NEEDLE epr =
        needle(at(BmpNeedle, S.centre, LitSmoothImage, nullptr, NeedleFailures), Rotor,
               eprNeedle<S>, NeedlePivot, nullptr, 0, NeedleRate);
    static constinit inline ELEMENT_HEADER* bugNext[] = {&epr.header, nullptr};
    static constinit inline ELEMENT_NEEDLE bug =
        needle(at(BmpBug, S.centre, LitSmoothImage, bugNext, NeedleFailures), Rotor, bugNeedle<S>,
               S.bug_pivot, nullptr, 0, NeedleRate);
    static constinit inline ELEMENT_HEADER* overlayNext[] = {&bug.header, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE overlay =
        staticImage(at(S.overlay, S.overlay_at, LitImage, overlayNext, nullptr));
    static constinit inline ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE face =
        staticImage(at(S.face, {0, 0}, ImageTransparent, faceNext, nullptr));
    static constinit inline ELEMENT_HEADER* elements[] = {&face, nullptr};

    static constinit inline TOOLTIP_ARG tooltipArgs[] = {tooltipArg(Rotor, eprTooltipValue)};
    // The modern dial wraps the knobs' area in one over its bezel.
    static constexpr size_t MouseRecords = S.bezel ? 8 : 6;
    static constexpr std::array<MOUSE_RECT, MouseRecords> mouseList() {
        std::array<MOUSE_RECT, MouseRecords> list{};
        size_t i = 0;
        if (S.bezel) list[i++] = mouseParent(Bezel.x, Bezel.y, Bezel.width, Bezel.height);
        list[i++] = mouseParent(0, 0, 0, 0);
        list[i++] = mouseTooltip(Tooltips[N], 1, tooltipArgs);
        list[i++] = mouseChild(S.down.x, S.down.y, S.down.width, S.down.height, CursorDownArrow,
                               Knob, bugDown<S, N>);
        list[i++] =
            mouseChild(S.up.x, S.up.y, S.up.width, S.up.height, CursorUpArrow, Knob, bugUp<S, N>);
        list[i++] = mouseEndParent();
        if (S.bezel) list[i++] = mouseEndParent();
        list[i++] = mouseEnd();
        return list;
    }
    static constinit inline std::array<MOUSE_RECT, MouseRecords> mouse = mouseList();
};

template <const Style& S, int N>
constexpr GAUGE_HEADER header(GaugeCallback callback) {
    return makeGaugeHeader(S.names[N], 100, Records<S, N>::elements, Records<S, N>::mouse.data(),
                           callback);
}

}  // namespace

constinit GAUGE_HEADER gauge_EPR1 = header<Modern, 0>(eprEngine1);
constinit GAUGE_HEADER gauge_EPR2 = header<Modern, 1>(noServiceAction);
constinit GAUGE_HEADER gauge_EPR3 = header<Modern, 2>(noServiceAction);
constinit GAUGE_HEADER gauge_EPR4 = header<Modern, 3>(noServiceAction);
constinit GAUGE_HEADER gauge_OLD_EPR1 = header<Old, 0>(oldEprEngine1);
constinit GAUGE_HEADER gauge_OLD_EPR2 = header<Old, 1>(noServiceAction);
constinit GAUGE_HEADER gauge_OLD_EPR3 = header<Old, 2>(noServiceAction);
constinit GAUGE_HEADER gauge_OLD_EPR4 = header<Old, 3>(noServiceAction);
