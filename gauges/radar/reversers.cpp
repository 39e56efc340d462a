// revlyrae1..revlyrae4 and revvelae1..revvelae4: the thrust reverser lights of
// engines 1 to 4, in two layouts. Each has a transit light, lit for 24 ticks
// after the reverser is selected or cancelled, and a deployed light, lit once
// reverse has been selected for longer. The gauge callback shows and hides the
// lights through their hidden bit; they have no callbacks of their own.
//
// Reads: 1 (tick counter), 128/163/198/233 (thrust lever, negative in
// reverse), 136/171/206/241 (engine speed). Sends: nothing. Shares: the
// gauges' own ReverserPreviousThrottle and ReverserTransitStart.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/gauge_support.h"

extern GAUGE_HEADER gauge_revlyrae1;
extern GAUGE_HEADER gauge_revlyrae2;
extern GAUGE_HEADER gauge_revlyrae3;
extern GAUGE_HEADER gauge_revlyrae4;
extern GAUGE_HEADER gauge_revvelae1;
extern GAUGE_HEADER gauge_revvelae2;
extern GAUGE_HEADER gauge_revvelae3;
extern GAUGE_HEADER gauge_revvelae4;

constexpr int ReverserGaugeCount = 8;

extern "C" {

// One per gauge, revlyrae1..4 then revvelae1..4: the engine's throttle at the
// gauge's last update, truncated, and the tick count when the last transition
// began.
int32_t ReverserPreviousThrottle[ReverserGaugeCount] = {};
int32_t ReverserTransitStart[ReverserGaugeCount] = {};

}  // extern "C"

namespace {

using namespace hostvar;

constexpr double EngineRunsAbove = 8000.0;  // engine speed
constexpr double TransitTicks = 24.0;       // about 1.3 s

constexpr uint32_t BmpLyraeFace = 0x4690;
constexpr uint32_t BmpVelaeFace = 0x46b0;
constexpr uint32_t BmpDeployed = 0x46c0;
constexpr uint32_t BmpTransit = 0x46d0;

constexpr uint32_t HelpTransitLight = 42059;
constexpr uint32_t HelpDeployedLight = 43557;

// The two layouts differ only in the face and where the deployed light sits.
struct Layout {
    uint32_t face;
    uint32_t width_mm;
    PIXPOINT deployed;
};
constexpr Layout Lyrae = {BmpLyraeFace, 41, {0, 42}};
constexpr Layout Velae = {BmpVelaeFace, 50, {50, 0}};

struct ReverserGauge {
    GAUGE_HEADER* gauge;
    const char* name;
    const Layout& layout;
    int engine;  // 0..3
};

constexpr ReverserGauge ReverserGauges[ReverserGaugeCount] = {
    {&gauge_revlyrae1, "revlyrae1", Lyrae, 0}, {&gauge_revlyrae2, "revlyrae2", Lyrae, 1},
    {&gauge_revlyrae3, "revlyrae3", Lyrae, 2}, {&gauge_revlyrae4, "revlyrae4", Lyrae, 3},
    {&gauge_revvelae1, "revvelae1", Velae, 0}, {&gauge_revvelae2, "revvelae2", Velae, 1},
    {&gauge_revvelae3, "revvelae3", Velae, 2}, {&gauge_revvelae4, "revvelae4", Velae, 3},
};

// ---- Records ----------------------------------------------------------------

constexpr uint32_t LitLight = ImageLuminous | ImageErase | ImageTransparent;

template <int R>
struct ReverserRecords {
    static constexpr const ReverserGauge& g = ReverserGauges[R];
    static constexpr ElementPlace place(uint32_t bitmap, PIXPOINT at, uint32_t flags,
                                        ELEMENT_HEADER** next = nullptr) {
        return ElementPlace{g.gauge, bitmap, at.x, at.y, flags, next};
    }
    // Both lights start hidden; the callback shows them.
    static constinit inline ELEMENT_ICON transit =
        icon(place(BmpTransit, {0, 0}, LitLight | ImageHidden, nullptr), 0, nullptr, 1);
    static constinit inline ELEMENT_ICON deployed =
        icon(place(BmpDeployed, g.layout.deployed, LitLight | ImageHidden, nullptr), 0, nullptr, 1);
    static constinit inline ELEMENT_HEADER* faceNext[] = {&deployed.header, &transit.header,
                                                          nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE face =
        staticImage(place(g.layout.face, {0, 0}, ImageTransparent, faceNext));
    static constinit inline ELEMENT_HEADER* elements[] = {&face, nullptr};
    static constinit inline MOUSE_RECT mouse[] = {
        mouseParent(0, 0, 41, 35, HelpTransitLight),
        mouseEndParent(),
        mouseParent(g.layout.deployed.x, g.layout.deployed.y, 41, 35, HelpDeployedLight),
        mouseEndParent(),
        mouseEnd(),
    };

    static inline MODULE_VAR tick = hostVar(TickCounter);
    static inline MODULE_VAR throttle = hostVar(ThrustLever1 + g.engine * EngineStride35);
    static inline MODULE_VAR speed = hostVar(EngineQuantity1 + g.engine * EngineStride35);
};

// ---- Gauge callback ---------------------------------------------------------

template <int R>
void HOSTAPI reverserCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    using Records = ReverserRecords<R>;
    const double now = refreshVar(Records::tick);
    const double throttle = refreshVar(Records::throttle);
    const double speed = refreshVar(Records::speed);
    int32_t& previous = ReverserPreviousThrottle[R];
    int32_t& start = ReverserTransitStart[R];

    if (throttle < 0.0 && speed > EngineRunsAbove) {
        if (previous >= 0) start = truncToInt(now);  // reverse just selected
        const bool deployed = now > start + TransitTicks;
        setHidden(&Records::deployed.header, !deployed);
        setHidden(&Records::transit.header, deployed);
    } else if (speed > EngineRunsAbove) {
        setHidden(&Records::deployed.header, true);
        if (previous < 0) {  // reverse just cancelled
            setHidden(&Records::transit.header, false);
            start = truncToInt(now);
        }
        if (now > start + TransitTicks) setHidden(&Records::transit.header, true);
    }
    // With the engine at 8000 or below both lights stay as they were.
    previous = truncToInt(throttle);
}

template <int R>
constexpr GAUGE_HEADER reverserGauge() {
    return makeGaugeHeader(ReverserGauges[R].name, ReverserGauges[R].layout.width_mm,
                           ReverserRecords<R>::elements, ReverserRecords<R>::mouse,
                           reverserCallback<R>);
}

}  // namespace

constinit GAUGE_HEADER gauge_revlyrae1 = reverserGauge<0>();
constinit GAUGE_HEADER gauge_revlyrae2 = reverserGauge<1>();
constinit GAUGE_HEADER gauge_revlyrae3 = reverserGauge<2>();
constinit GAUGE_HEADER gauge_revlyrae4 = reverserGauge<3>();
constinit GAUGE_HEADER gauge_revvelae1 = reverserGauge<4>();
constinit GAUGE_HEADER gauge_revvelae2 = reverserGauge<5>();
constinit GAUGE_HEADER gauge_revvelae3 = reverserGauge<6>();
constinit GAUGE_HEADER gauge_revvelae4 = reverserGauge<7>();
