// DME1, DME2: the two distance readouts, each with hundreds, tens and units
// drums. One implementation for both; a gauge differs only in its distance
// variable and tooltip. Display only, with no gauge callback.
//
// Reads: 31 (DME 1 distance), 35 (DME 2 distance), 335 (unit system, tooltip).
// Sends: nothing. Shares: nothing.

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_DME1;
extern GAUGE_HEADER gauge_DME2;

namespace {

using namespace hostvar;

constexpr int DmeCount = 2;

// The drums count tenths of a nautical mile; the distance is never converted.
constexpr double TenthsPerMile = 10.0;
constexpr int32_t TensPlace = 2;
constexpr int32_t HundredsPlace = 3;

constexpr uint32_t BmpFace = 0x1800;
constexpr uint32_t BmpFaceOverlay = 0x1810;
constexpr uint32_t BmpBlank = 0x1820;
constexpr uint32_t BmpDigitDrum = 0x1830;
constexpr uint32_t BmpUnitsDrum = 0x1840;

constexpr double NeverShown = -1.0;
constexpr double DrumColumn = 1.0;  // the drums move only vertically

struct DmeHead {
    GAUGE_HEADER* gauge;
    uint32_t distance;
    const char* tooltip;
};

constexpr DmeHead Heads[DmeCount] = {
    {&gauge_DME1, Dme1Distance, "DME 1 (%1!.2f! %2!s!"},
    {&gauge_DME2, Dme2Distance, "DME 2 (%1!.2f! %2!s!"},
};

double distanceOf(ELEMENT_HEADER* e) {
    return refreshVar(elementAs<ELEMENT_MOVING_IMAGE>(e)->y.source_var);
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI blank(ELEMENT_HEADER*) { return NeverShown; }

double HOSTAPI drumColumn(ELEMENT_HEADER*) { return DrumColumn; }

template <int32_t Place>
double HOSTAPI rollingDrum(ELEMENT_HEADER* e) {
    return drumValue(distanceOf(e), TenthsPerMile, Place);
}

// Continuous; negative and unreadable distances rest on 0.
double HOSTAPI unitsDrum(ELEMENT_HEADER* e) {
    const double miles = distanceOf(e);
    if (!std::isfinite(miles)) return 0.0;
    const double units = unitsDrumValue(miles);
    return units < 0.0 ? 0.0 : units;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr double DigitDrumTop = 99.0;
constexpr double UnitsDrumTop = 9.99;

// One readout's elements, bottom to top: face, overlay, the blank icon, then
// the hundreds, tens and units drums.
struct DmeElements {
    ELEMENT_STATIC_IMAGE face;
    ELEMENT_HEADER* faceNext[2];
    ELEMENT_STATIC_IMAGE overlay;
    ELEMENT_HEADER* overlayNext[2];
    ELEMENT_ICON blank;
    ELEMENT_HEADER* blankNext[2];
    ELEMENT_MOVING_IMAGE hundreds;
    ELEMENT_HEADER* hundredsNext[2];
    ELEMENT_MOVING_IMAGE tens;
    ELEMENT_HEADER* tensNext[2];
    ELEMENT_MOVING_IMAGE units;
    ELEMENT_HEADER* root[2];
};

constexpr ELEMENT_MOVING_IMAGE drum(GAUGE_HEADER* gauge, uint32_t distance, uint32_t bitmap,
                                    int32_t x, int32_t y, double top, ElementCallback cb,
                                    ELEMENT_HEADER** next) {
    return movingImage({gauge, bitmap, x, y, LitImage, next}, 0, ranged(0, 0.0, 0.0, drumColumn),
                       ranged(distance, 0.0, top, cb));
}

// Built in place: the lists point into the record itself.
constexpr DmeElements dmeElements(int n, DmeElements* self) {
    GAUGE_HEADER* g = Heads[n].gauge;
    const uint32_t distance = Heads[n].distance;
    return DmeElements{
        staticImage({g, BmpFace, 0, 0, ImageTransparent, self->faceNext}),
        {&self->overlay, nullptr},
        staticImage({g, BmpFaceOverlay, 0, 0, ImageLuminous | ImageTransparent, self->overlayNext}),
        {&self->blank.header, nullptr},
        icon({g, BmpBlank, 20, 34, LitImage, self->blankNext}, 0, blank, 1),
        {&self->hundreds.header, nullptr},
        drum(g, distance, BmpDigitDrum, 20, 23, DigitDrumTop, rollingDrum<HundredsPlace>,
             self->hundredsNext),
        {&self->tens.header, nullptr},
        drum(g, distance, BmpDigitDrum, 47, 23, DigitDrumTop, rollingDrum<TensPlace>,
             self->tensNext),
        {&self->units.header, nullptr},
        drum(g, distance, BmpUnitsDrum, 73, 20, UnitsDrumTop, unitsDrum, nullptr),
        {&self->face, nullptr},
    };
}

constinit DmeElements elements[DmeCount] = {dmeElements(0, &elements[0]),
                                            dmeElements(1, &elements[1])};

constexpr TOOLTIP_ARG distanceArg(int n) {
    return tooltipArg(Heads[n].distance, tooltipSpeedOrDistance);
}

constinit TOOLTIP_ARG tooltipArgs[DmeCount][2] = {
    {distanceArg(0), tooltipArg(UnitSystem, nullptr, tooltipDistanceLabel)},
    {distanceArg(1), tooltipArg(UnitSystem, nullptr, tooltipDistanceLabel)},
};

// The tooltip's closing parenthesis comes with the unit label.
constexpr int MouseRecords = 4;
constinit MOUSE_RECT mouse[DmeCount][MouseRecords] = {
    {mouseParent(0, 0, 181, 80), mouseTooltip(Heads[0].tooltip, 2, tooltipArgs[0]),
     mouseEndParent(), mouseEnd()},
    {mouseParent(0, 0, 181, 80), mouseTooltip(Heads[1].tooltip, 2, tooltipArgs[1]),
     mouseEndParent(), mouseEnd()},
};

}  // namespace

constinit GAUGE_HEADER gauge_DME1 =
    makeGaugeHeader("DME1", 100, elements[0].root, mouse[0], nullptr);
constinit GAUGE_HEADER gauge_DME2 =
    makeGaugeHeader("DME2", 100, elements[1].root, mouse[1], nullptr);
