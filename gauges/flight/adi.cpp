// ADI: the attitude director indicator, with the pitch-and-bank horizon, the
// bank ring, the flight director's steering bar, the glideslope pointer and four
// warning flags that drop without electrical power. Display only, with no
// gauge callback.
//
// Reads: 77 (pitch), 78 (pitch, tooltip), 79 (bank), 80 (bank, tooltip), 41
// (glideslope deviation), 43 and 276 (flag inputs), 44 (a flag's source), 81
// (heading) and 107 (heading bug) for the steering bar. Sends: nothing.
// Shares: PowerAvailable (read).

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_ADI;

namespace {

using namespace hostvar;

constexpr double PitchLimit = 89.0;
constexpr double PitchPixelsPerDegree = 2.5;
constexpr double CounterClockwise = -1.0;  // the horizon turns against the bank
constexpr double GlideslopeScale = 0.3334;

// The steering bar: bank folded to -180..179 (against 359, as the instrument
// was built), less the heading error limited to the bar's travel.
constexpr int32_t BankFoldAbove = 179;
constexpr int32_t BankFold = 359;
constexpr int64_t HalfTurn = 180;
constexpr int64_t FullTurn = 360;
constexpr int64_t SteeringLimit = 24;

constexpr uint32_t BmpFace = 0x1200;
constexpr uint32_t BmpHorizon = 0x1210;
constexpr uint32_t BmpBankRing = 0x1220;
constexpr uint32_t BmpGlideslopePointer = 0x1230;
constexpr uint32_t BmpFlagTopLeft = 0x1240;
constexpr uint32_t BmpFlagTopRight = 0x1250;
constexpr uint32_t BmpFlagBottomLeft = 0x1260;
constexpr uint32_t BmpFlagBottomRight = 0x1270;
constexpr uint32_t BmpSteeringBar = 0x1280;

constexpr uint32_t HelpAttitudeIndicator = 43789;

constexpr double FlagShown = 0.0;
constexpr double FlagHidden = -1.0;

constexpr double finiteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI horizonPitch(ELEMENT_HEADER* e) {
    double pitch = refreshVar(elementAs<ELEMENT_SPRITE>(e)->offset_y.source_var);
    if (std::isnan(pitch)) return 0.0;
    if (pitch > PitchLimit) return PitchLimit;
    if (pitch < -PitchLimit) return -PitchLimit;
    return pitch;
}

double HOSTAPI spriteBank(ELEMENT_HEADER* e) {
    return finiteOrZero(refreshVar(elementAs<ELEMENT_SPRITE>(e)->rotation.source_var));
}

double HOSTAPI glideslopeDeviation(ELEMENT_HEADER* e) {
    return finiteOrZero(refreshVar(elementAs<ELEMENT_SLIDER>(e)->y.source_var));
}

MODULE_VAR steeringBank = hostVar(Bank);
MODULE_VAR steeringHeading = hostVar(Heading);
MODULE_VAR steeringBug = hostVar(HeadingBug);

// In 64 bits: a host value beyond the int32 range truncates to INT32_MIN,
// whose differences do not fit 32 bits.
double HOSTAPI steeringBar(ELEMENT_HEADER*) {
    int64_t bank = truncToInt(refreshVar(steeringBank));
    if (bank > BankFoldAbove) bank -= BankFold;
    int64_t error =
        int64_t{truncToInt(refreshVar(steeringHeading))} - truncToInt(refreshVar(steeringBug));
    if (error < -HalfTurn) error += FullTurn;
    if (error > HalfTurn) error -= FullTurn;
    if (error < -SteeringLimit) error = -SteeringLimit;
    if (error > SteeringLimit) error = SteeringLimit;
    return static_cast<double>(bank - error);
}

bool powerLost() { return PowerAvailable == 0; }

double HOSTAPI powerFlag(ELEMENT_HEADER*) { return powerLost() ? FlagShown : FlagHidden; }

// Drops on its input at exactly 1.0, or without power.
double HOSTAPI inputFlag(ELEMENT_HEADER* e) {
    double input = refreshVar(elementAs<ELEMENT_ICON>(e)->source_var);
    return input == 1.0 || powerLost() ? FlagShown : FlagHidden;
}

// ---- Tooltip ----------------------------------------------------------------

double HOSTAPI negatedPitch(double number, uint32_t, const char*, MODULE_VAR* var, GAUGE_HEADER*) {
    return -(var ? var->var_value : number);
}

// ---- Records ----------------------------------------------------------------

// The host's failure of the attitude instruments; the list ends with key 0.
constexpr uint32_t AttitudeFailureKey = 8;
constexpr uint32_t FailureAction = 0;
constexpr FAILURE_RECORD attitudeFailure[] = {{AttitudeFailureKey, FailureAction}, {0, 0}};

constexpr uint32_t LitSmoothImage =
    ImageLuminous | ImageBilinearColor | ImageErase | ImageTransparent;
constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;

constexpr int32_t SphereX = 29, SphereY = 19;
constexpr PIXPOINT SphereCentre = {115, 108};
constexpr double HorizonTextureScale = 0.9;
constexpr double BankRingTextureScale = 1.0;

constexpr ELEMENT_ICON flag(uint32_t bitmap, int32_t x, int32_t y, uint32_t var_id,
                            ElementCallback cb, ELEMENT_HEADER** next = nullptr) {
    return icon({&gauge_ADI, bitmap, x, y, LitImage, next}, var_id, cb, 1);
}

// Bottom to top: face, horizon, bank ring, steering bar, glideslope pointer,
// then the four flags.
constinit ELEMENT_ICON flagTopLeft = flag(BmpFlagTopLeft, 39, 46, AdiFlagSource, powerFlag);
constinit ELEMENT_HEADER* flagTopRightNext[] = {&flagTopLeft.header, nullptr};
constinit ELEMENT_ICON flagTopRight =
    flag(BmpFlagTopRight, 182, 46, AdiFlagInput, inputFlag, flagTopRightNext);
constinit ELEMENT_HEADER* flagBottomLeftNext[] = {&flagTopRight.header, nullptr};
constinit ELEMENT_ICON flagBottomLeft =
    flag(BmpFlagBottomLeft, 45, 154, NavigationFlag, inputFlag, flagBottomLeftNext);
constinit ELEMENT_HEADER* flagBottomRightNext[] = {&flagBottomLeft.header, nullptr};
constinit ELEMENT_ICON flagBottomRight =
    flag(BmpFlagBottomRight, 130, 154, 0, powerFlag, flagBottomRightNext);
constinit ELEMENT_HEADER* glideslopeNext[] = {&flagBottomRight.header, nullptr};
constinit ELEMENT_SLIDER glideslopePointer =
    slider({&gauge_ADI, BmpGlideslopePointer, 33, 100, LitImage, glideslopeNext}, scaled(0, 0.0),
           scaled(GlideslopeDeviation, GlideslopeScale, glideslopeDeviation));
constinit ELEMENT_HEADER* steeringNext[] = {&glideslopePointer.header, nullptr};
constinit ELEMENT_NEEDLE steeringBarNeedle =
    needle({&gauge_ADI, BmpSteeringBar, 115, 190, LitSmoothImage, steeringNext}, 0, steeringBar,
           {5, 96}, nullptr, 0, 0);
constinit ELEMENT_HEADER* bankRingNext[] = {&steeringBarNeedle.header, nullptr};
constinit ELEMENT_SPRITE bankRing = sprite(
    {&gauge_ADI, BmpBankRing, SphereX, SphereY, LitSmoothImage, bankRingNext, attitudeFailure},
    SphereCentre, BankRingTextureScale, BankRingTextureScale, scaled(0, 0.0), scaled(0, 0.0),
    scaled(Bank, CounterClockwise, spriteBank));
constinit ELEMENT_HEADER* horizonNext[] = {&bankRing.header, nullptr};
constinit ELEMENT_SPRITE horizon = sprite(
    {&gauge_ADI, BmpHorizon, SphereX, SphereY, LitSmoothImage, horizonNext, attitudeFailure},
    SphereCentre, HorizonTextureScale, HorizonTextureScale, scaled(0, 0.0),
    scaled(Pitch, PitchPixelsPerDegree, horizonPitch), scaled(Bank, CounterClockwise, spriteBank));
constinit ELEMENT_HEADER* faceNext[] = {&horizon.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_ADI, BmpFace, 0, 0, ImageTransparent, faceNext, attitudeFailure});
constinit ELEMENT_HEADER* adiElements[] = {&face, nullptr};

constinit TOOLTIP_ARG adiTooltipArgs[] = {
    tooltipArg(BankAngle, tooltipRawValue),
    tooltipArg(PitchForTooltip, negatedPitch),
};

constinit MOUSE_RECT adiMouse[] = {
    mouseParent(0, 0, 232, 218, HelpAttitudeIndicator),
    mouseTooltip("Attitude Indicator (Bank %1!d!\xB0, Pitch %2!d!\xB0)", 2, adiTooltipArgs),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_ADI = makeGaugeHeader("ADI", 100, adiElements, adiMouse, nullptr);
