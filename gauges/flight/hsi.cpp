// HSI: the horizontal situation indicator, with the compass card, the course
// pointer and its deviation bar, the TO/FROM arrow and the heading bug, and two
// knobs that set the course and the bug through the host. No gauge callback.
//
// Reads: 81 (heading), 84 (heading, tooltip), 45 (selected course), 40 (course
// deviation), 107 (heading bug), 853 (TO/FROM). Sends: 65716 (course), 66042
// (heading bug). Shares: nothing; the needle angles are this gauge's own module
// globals HsiHeadingReference, HsiCourseAngle, HsiBugAngle and HsiToFromAngle.

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/truncate.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_HSI;

extern "C" {

// Degrees, written on every update: the reference 359 - heading, and the course
// pointer, heading bug and TO/FROM arrow turned by it (each plus a full turn).
int32_t HsiHeadingReference = 0;
int32_t HsiCourseAngle = 0;
int32_t HsiBugAngle = 0;
int32_t HsiToFromAngle = 0;

}  // extern "C"

namespace {

using namespace hostvar;
using namespace hostevent;

// The card's zero is one degree off a full turn, as the instrument was built.
constexpr int64_t ReferenceBase = 359;
constexpr int64_t FullTurn = 360;
constexpr int32_t HalfTurn = 180;
constexpr double FullTurnDegrees = 360.0;

constexpr double DeviationPixels = -0.682813;
constexpr double DeviationBarTurn = 90.5;  // the bar lies across the course pointer

constexpr uint32_t BmpFace = 0x1300;
constexpr uint32_t BmpDeviationBar = 0x1310;
constexpr uint32_t BmpCard = 0x1320;
constexpr uint32_t BmpCoursePointer = 0x1330;
constexpr uint32_t BmpHeadingBug = 0x1340;
constexpr uint32_t BmpToFromArrow = 0x1350;

constexpr double finiteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

// Angles are kept in 32 bits as the instrument keeps them; a host value beyond
// that range (truncated to INT32_MIN) wraps instead of overflowing.
constexpr int32_t wrap32(int64_t v) { return static_cast<int32_t>(v); }

MODULE_VAR heading = hostVar(Heading);
MODULE_VAR course = hostVar(SelectedCourse);
MODULE_VAR bug = hostVar(HeadingBug);
MODULE_VAR toFrom = hostVar(ToFromIndication);

// Every needle computes from this frame's heading: the bug and the arrow are
// drawn below the course pointer, and would otherwise lag it by a frame.
int32_t headingReference() {
    HsiHeadingReference = wrap32(ReferenceBase - truncToInt(refreshVar(heading)));
    return HsiHeadingReference;
}

int32_t turnedByCard(double degrees, int32_t reference) {
    return wrap32(int64_t{truncToInt(degrees)} + reference + FullTurn);
}

int32_t coursePointerAngle() {
    HsiCourseAngle = turnedByCard(refreshVar(course), headingReference());
    return HsiCourseAngle;
}

void setHidden(ELEMENT_HEADER* e, bool hidden) {
    if (hidden)
        e->image_flags |= ImageHidden;
    else
        e->image_flags &= ~ImageHidden;
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI cardHeading(ELEMENT_HEADER* e) {
    return finiteOrZero(refreshVar(elementAs<ELEMENT_SPRITE>(e)->rotation.source_var));
}

double HOSTAPI coursePointer(ELEMENT_HEADER*) { return coursePointerAngle(); }

double HOSTAPI headingBugNeedle(ELEMENT_HEADER*) {
    HsiBugAngle = turnedByCard(refreshVar(bug), headingReference());
    return HsiBugAngle;
}

// Hidden without an indication; FROM turns it half a turn.
double HOSTAPI toFromArrow(ELEMENT_HEADER* e) {
    const double indication = refreshVar(toFrom);
    setHidden(e, indication == 0.0);
    const int32_t pointer = coursePointerAngle();
    HsiToFromAngle = indication >= 0.0 ? pointer : wrap32(int64_t{pointer} + HalfTurn);
    return HsiToFromAngle;
}

double HOSTAPI deviationOffset(ELEMENT_HEADER* e) {
    return finiteOrZero(refreshVar(elementAs<ELEMENT_SPRITE>(e)->offset_y.source_var));
}

// Across the course pointer on the card.
double HOSTAPI deviationTurn(ELEMENT_HEADER*) {
    return finiteOrZero(refreshVar(heading) + DeviationBarTurn - refreshVar(course));
}

// ---- Mouse callbacks --------------------------------------------------------

// One degree down or up. Each knob wraps once and only the way it turns: down
// below 0, up above 360 (360 itself is sent as it is). A value the host
// reports out of range steps on from there: 400 down sends 399.
double steppedDown(double value) {
    const double v = value - 1.0;
    return v < 0.0 ? v + FullTurnDegrees : v;
}

double steppedUp(double value) {
    const double v = value + 1.0;
    return v > FullTurnDegrees ? v - FullTurnDegrees : v;
}

void sendStepped(MODULE_VAR& var, double (*step)(double), uint32_t event) {
    sendEvent(event, static_cast<uint32_t>(truncToInt(step(refreshVar(var)))));
}

int32_t HOSTAPI courseDown(PIXPOINT*, uint32_t) {
    sendStepped(course, steppedDown, CourseSet);
    return 0;
}

int32_t HOSTAPI courseUp(PIXPOINT*, uint32_t) {
    sendStepped(course, steppedUp, CourseSet);
    return 0;
}

int32_t HOSTAPI bugDown(PIXPOINT*, uint32_t) {
    sendStepped(bug, steppedDown, HeadingBugSet);
    return 0;
}

int32_t HOSTAPI bugUp(PIXPOINT*, uint32_t) {
    sendStepped(bug, steppedUp, HeadingBugSet);
    return 0;
}

// ---- Records ----------------------------------------------------------------

// The host's failure of the heading instruments; the list ends with key 0.
constexpr uint32_t CompassFailureKey = 8;
constexpr uint32_t FailureAction = 0;
constexpr FAILURE_RECORD compassFailure[] = {{CompassFailureKey, FailureAction}, {0, 0}};

constexpr uint32_t LitSmoothImage =
    ImageLuminous | ImageBilinearColor | ImageErase | ImageTransparent;

constexpr int32_t CardX = 22, CardY = 22;
constexpr PIXPOINT CardCentre = {150, 150};
constexpr double CardTextureScale = 0.98;
constexpr double DeviationTextureScale = 1.5;

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y, ELEMENT_HEADER** next,
                             const FAILURE_RECORD* failure = nullptr) {
    return ElementPlace{&gauge_HSI, bitmap, x, y, LitSmoothImage, next, failure};
}

// Bottom to top: face, card, heading bug, TO/FROM arrow, course pointer,
// deviation bar.
constinit ELEMENT_SPRITE deviationBar = sprite(
    place(BmpDeviationBar, CardX, CardY, nullptr, compassFailure), CardCentre,
    DeviationTextureScale, DeviationTextureScale, scaled(0, 0.0),
    scaled(CourseDeviation, DeviationPixels, deviationOffset), scaled(Heading, 1.0, deviationTurn));
constinit ELEMENT_HEADER* courseNext[] = {&deviationBar.header, nullptr};
constinit ELEMENT_NEEDLE coursePointerNeedle =
    needle(place(BmpCoursePointer, CardCentre.x, CardCentre.y, courseNext), 0, coursePointer,
           {89, 106}, nullptr, 0, 0);
constinit ELEMENT_HEADER* toFromNext[] = {&coursePointerNeedle.header, nullptr};
constinit ELEMENT_NEEDLE toFromNeedle =
    needle(place(BmpToFromArrow, CardCentre.x, CardCentre.y, toFromNext), SelectedCourse,
           toFromArrow, {13, 45}, nullptr, 0, 0);
constinit ELEMENT_HEADER* bugNext[] = {&toFromNeedle.header, nullptr};
constinit ELEMENT_NEEDLE headingBugPointer =
    needle(place(BmpHeadingBug, CardCentre.x, CardCentre.y, bugNext), HeadingBug, headingBugNeedle,
           {8, 128}, nullptr, 0, 0);
constinit ELEMENT_HEADER* cardNext[] = {&headingBugPointer.header, nullptr};
constinit ELEMENT_SPRITE card =
    sprite(place(BmpCard, CardX, CardY, cardNext, compassFailure), CardCentre, CardTextureScale,
           CardTextureScale, scaled(0, 0.0), scaled(0, 0.0), scaled(Heading, 1.0, cardHeading));
constinit ELEMENT_HEADER* faceNext[] = {&card.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_HSI, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* hsiElements[] = {&face, nullptr};

constinit TOOLTIP_ARG hsiTooltipArgs[] = {
    tooltipArg(SelectedCourse, tooltipRawValue),
    tooltipArg(HeadingForTooltip, tooltipRawValue),
};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

constinit MOUSE_RECT hsiMouse[] = {
    mouseParent(0, 0, 300, 300),
    mouseTooltip("Horizontal Situation Indicator (Course %1!d!\xB0, Heading %2!d!\xB0)", 2,
                 hsiTooltipArgs),
    mouseChild(227, 234, 32, 65, CursorDownArrow, Knob, courseDown),
    mouseChild(260, 234, 32, 65, CursorUpArrow, Knob, courseUp),
    mouseChild(12, 234, 32, 65, CursorDownArrow, Knob, bugDown),
    mouseChild(45, 234, 32, 65, CursorUpArrow, Knob, bugUp),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_HSI = makeGaugeHeader("HSI", 100, hsiElements, hsiMouse, nullptr);
