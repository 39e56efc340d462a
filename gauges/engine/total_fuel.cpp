// TOTAL_FUEL: the fuel on board by weight, on four drums that show it in
// hundreds, with a unit marking for kilograms. No gauge callback.
//
// Reads: 303, 304, 305 (fuel quantities, gallons), 306 (fuel weight per
// gallon, lb), 335 (unit system). Sends: nothing. Shares: the gauge's own
// TotalFuelGallons and TotalFuelWeight.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_TOTAL_FUEL;

extern "C" {

// The last sum of the three quantities, and the weight in the unit shown
// (never below 0), as the hundreds drum last computed them.
double TotalFuelGallons = 0.0;
double TotalFuelWeight = 0.0;

}  // extern "C"

namespace {

using namespace hostvar;

constexpr int32_t HundredsPlace = 2;
constexpr int32_t ThousandsPlace = 3;
constexpr int32_t TenThousandsPlace = 4;
constexpr int32_t HundredThousandsPlace = 5;

constexpr uint32_t BmpFace = 0x2100;
constexpr uint32_t BmpUnitMarking = 0x2102;
constexpr uint32_t BmpHundredsDrum = 0x2110;
constexpr uint32_t BmpDrum = 0x2120;

MODULE_VAR quantityC = hostVar(FuelQuantityC);
MODULE_VAR quantityB = hostVar(FuelQuantityB);
MODULE_VAR quantityA = hostVar(FuelQuantityA);
MODULE_VAR weightPerGallon = hostVar(FuelWeightPerGallon);
MODULE_VAR unitSystem = hostVar(UnitSystem);

// ---- Element callbacks ------------------------------------------------------

// The marking shows only when weights are metric.
double HOSTAPI unitMarking(ELEMENT_HEADER* e) {
    return metricWeights(refreshVar(elementAs<ELEMENT_ICON>(e)->source_var)) ? 0.0 : -1.0;
}

double HOSTAPI drumsHaveNoSideways(ELEMENT_HEADER*) { return 1.0; }

// The hundreds drum also totals the fuel, for itself and the other drums.
double HOSTAPI hundredsDrum(ELEMENT_HEADER*) {
    const double c = refreshVar(quantityC);
    const double b = refreshVar(quantityB);
    const double a = refreshVar(quantityA);
    const double per_gallon = refreshVar(weightPerGallon);
    TotalFuelGallons = a + b + c;
    double weight = TotalFuelGallons * per_gallon;
    if (!(weight >= 0.0)) weight = 0.0;  // negative, and NaN, read as empty
    if (metricWeights(refreshVar(unitSystem))) weight *= KgPerPound;
    TotalFuelWeight = weight;
    return drumValue(weight, 1.0, HundredsPlace);
}

template <int32_t Place>
double HOSTAPI upperDrum(ELEMENT_HEADER*) {
    return drumValue(TotalFuelWeight, 1.0, Place);
}

// ---- Tooltip ----------------------------------------------------------------

double HOSTAPI fuelWeight(double, uint32_t, const char*, MODULE_VAR*, GAUGE_HEADER*) {
    return TotalFuelWeight;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr double DrumTravel = 90.0;

constexpr ELEMENT_MOVING_IMAGE drum(uint32_t bitmap, int32_t x, ElementCallback cb) {
    return movingImage({&gauge_TOTAL_FUEL, bitmap, x, 115, LitImage}, 0,
                       ranged(0, 0.0, 0.0, drumsHaveNoSideways), ranged(0, 0.0, DrumTravel, cb));
}

// Bottom to top: face, unit marking, then the drums from the highest place.
constinit ELEMENT_MOVING_IMAGE hundreds = drum(BmpHundredsDrum, 138, hundredsDrum);
constinit ELEMENT_MOVING_IMAGE thousands = drum(BmpDrum, 113, upperDrum<ThousandsPlace>);
constinit ELEMENT_MOVING_IMAGE tenThousands = drum(BmpDrum, 89, upperDrum<TenThousandsPlace>);
constinit ELEMENT_MOVING_IMAGE hundredThousands =
    drum(BmpDrum, 64, upperDrum<HundredThousandsPlace>);
constinit ELEMENT_ICON marking =
    icon({&gauge_TOTAL_FUEL, BmpUnitMarking, 105, 165, ImageErase | ImageTransparent}, UnitSystem,
         unitMarking, 1);
constinit ELEMENT_HEADER* faceNext[] = {&marking.header,      &hundredThousands.header,
                                        &tenThousands.header, &thousands.header,
                                        &hundreds.header,     nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_TOTAL_FUEL, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* fuelElements[] = {&face, nullptr};

constinit TOOLTIP_ARG fuelTooltipArgs[] = {
    tooltipArg(0, fuelWeight),
    tooltipArg(UnitSystem, nullptr, tooltipWeightLabel),
};

constinit MOUSE_RECT fuelMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Total Fuel Quantity (%1!d! %2!s!)", 2, fuelTooltipArgs),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_TOTAL_FUEL =
    makeGaugeHeader("TOTAL_FUEL", 100, fuelElements, fuelMouse, nullptr);
