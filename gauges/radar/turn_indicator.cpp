// TC: the turn indicator with its balance ball and flag. The needle rests at
// the centre without electrical power; the ball and the flag are the host's
// own pictures of its variables. No gauge callback.
//
// Reads: 70 (turn needle), 69 (balance ball), 279 (flag). Sends: nothing.
// Shares: PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "gauges/gauge_support.h"

extern GAUGE_HEADER gauge_TC;

namespace {

using namespace hostvar;

constexpr double FullTurn = 900.0;  // the needle's stops either side
constexpr double BallTravelPerUnit = 0.554688;

constexpr uint32_t BmpFace = 0x4750;
constexpr uint32_t BmpNeedle = 0x4760;
constexpr uint32_t BmpBall = 0x4770;
constexpr uint32_t BmpFlag = 0x4780;

constexpr uint32_t HelpTurnIndicator = 43889;
constexpr uint32_t HelpBalanceBall = 43873;

// ---- Element callbacks ------------------------------------------------------

// A reading the host cannot give centres the needle, as no power does.
double HOSTAPI turnNeedle(ELEMENT_HEADER* e) {
    const double rate = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
    if (PowerAvailable == 0) return 0.0;
    return limited(rate, -FullTurn, FullTurn, 0.0);
}

// ---- Records ----------------------------------------------------------------

// Value -> face point.
constexpr NONLINEARITY turnScale[] = {
    {{70, 50}, -900}, {{114, 35}, -546}, {{150, 30}, 0}, {{186, 35}, 546}, {{230, 50}, 900},
};

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;

// Bottom to top: face, needle, ball, flag.
constinit ELEMENT_ICON flag =
    icon({&gauge_TC, BmpFlag, 220, 117, LitImage}, TurnIndicatorFlag, nullptr, 1);
constinit ELEMENT_SLIDER ball = slider({&gauge_TC, BmpBall, 140, 206, LitImage},
                                       scaled(TurnBall, BallTravelPerUnit), scaled(0, 0.0));
constinit ELEMENT_NEEDLE needleElement =
    needle({&gauge_TC, BmpNeedle, 148, 160, LitImage | ImageBilinearColor}, TurnRate, turnNeedle,
           {0, 0}, turnScale, sizeof turnScale / sizeof turnScale[0], 6);
constinit ELEMENT_HEADER* faceNext[] = {&needleElement.header, &ball.header, &flag.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_TC, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* tcElements[] = {&face, nullptr};

constinit MOUSE_RECT tcMouse[] = {
    mouseParent(64, 25, 180, 157, HelpTurnIndicator),
    mouseEndParent(),
    mouseParent(43, 180, 216, 66, HelpBalanceBall),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_TC = makeGaugeHeader("TC", 83, tcElements, tcMouse, nullptr);
