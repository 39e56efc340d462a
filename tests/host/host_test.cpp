// The bundled host on records built here: the element walk and draw state, mouse
// hit-testing with nested areas, events the host sends itself, and tooltips.

#include "host/host.h"

#include <gtest/gtest.h>

#include <cmath>

#include "framework/gauge.h"
#include "host/needle_scale.h"

namespace host_test {

namespace {

// What the test gauge's callbacks saw.
struct Seen {
    int clicks = 0;
    PIXPOINT point{};
    uint32_t flags = 0;
    std::vector<std::string> order;
    const char* parameters = nullptr;
    double shown_flag = 0;
} seen;

extern GAUGE_HEADER testGauge;

double HOSTAPI needleValue(ELEMENT_HEADER* e) {
    seen.order.push_back("needle");
    return elementAs<ELEMENT_NEEDLE>(e)->source_var.var_value * 2;
}
double HOSTAPI iconValue(ELEMENT_HEADER*) {
    seen.order.push_back("icon");
    return 1.0;
}
// Hides its own element while the variable is negative: a callback may show it again.
double HOSTAPI hidingSlider(ELEMENT_HEADER* e) {
    seen.order.push_back("slider");
    auto* s = elementAs<ELEMENT_SLIDER>(e);
    if (s->y.source_var.var_value < 0)
        e->image_flags |= ImageHidden;
    else
        e->image_flags &= ~ImageHidden;
    return s->y.source_var.var_value;
}
double HOSTAPI lookupInCallback(ELEMENT_HEADER*) {
    MODULE_VAR v = hostVar(500);
    tw::Host::active()->services()->lookup_var(&v);
    return v.var_value;
}
int32_t HOSTAPI click(PIXPOINT* p, uint32_t flags) {
    ++seen.clicks;
    seen.point = *p;
    seen.flags = flags;
    seen.parameters = testGauge.parameters;
    return 0;
}
double HOSTAPI tipNumber(double number, uint32_t id, const char*, MODULE_VAR* var,
                         GAUGE_HEADER* g) {
    EXPECT_EQ(g, &testGauge);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(number, var->var_value);
    return var->var_value / 10;
}
const char* HOSTAPI tipLabel(double, uint32_t, const char*, MODULE_VAR* var, GAUGE_HEADER*) {
    return var->var_value == 2.0 ? "km/h" : "knots";
}

// A scale of three points a quarter turn apart about (100,100).
NONLINEARITY scale[] = {{{100, 0}, 0.0}, {{200, 100}, 100.0}, {{100, 200}, 200.0}};

ELEMENT_NEEDLE needleA =
    needle({&testGauge, 11, 100, 100, 0}, 61, needleValue, {5, 5}, scale, 3, 10.0);
ELEMENT_ICON iconB = icon({&testGauge, 12, 3, 4, 0}, 0, iconValue, 2);
ELEMENT_ICON iconC = icon({&testGauge, 13, 0, 0, 0}, 70, nullptr, 3);
ELEMENT_HEADER* needleNext[] = {&iconC.header, nullptr};
ELEMENT_SLIDER sliderD =
    slider({&testGauge, 14, 0, 0, 0}, scaled(0, 1.0), scaled(71, -0.5, hidingSlider));
ELEMENT_MOVING_IMAGE movingE = movingImage(
    {&testGauge, 15, 0, 0, 0}, 0, ranged(0, 0, 0, lookupInCallback), ranged(72, 0.0, 90.0));
ELEMENT_SPRITE spriteF = sprite({&testGauge, 16, 0, 0, 0}, {10, 10}, 1.0, 1.0, scaled(73, 2.5),
                                scaled(0, 1.0), scaled(74, -1.0));
ELEMENT_HEADER hiddenG = staticImage({&testGauge, 17, 0, 0, ImageHidden});
ELEMENT_HEADER* rootNext[] = {&needleA.header, &iconB.header, &sliderD.header, &movingE.header,
                              &spriteF.header, &hiddenG,      nullptr};
ELEMENT_HEADER root = staticImage({&testGauge, 10, 0, 0, 1});
ELEMENT_HEADER* testElements[] = {&root, nullptr};

TOOLTIP_ARG speedArgs[] = {tooltipArg(61, tipNumber), tooltipArg(335, nullptr, tipLabel)};

// Outer parent (whole gauge) with a tooltip; an inner parent at (100,100) with
// its own tooltip and two children; a child carrying an event; a drag lever.
MOUSE_RECT testMouse[] = {
    mouseParent(0, 0, 0, 0, 43778),
    mouseTooltip("Speed (%1!d! %2!s!)", 2, speedArgs),
    mouseChildEvent(0, 0, 50, 50, 5, MouseLeftPress, 65595),
    mouseChild(0, 0, 60, 60, 5, MouseLeftPress, click),  // shadowed where it overlaps
    mouseChild(300, 0, 20, 100, 5, 0x20800000, click),
    mouseParent(100, 100, 100, 50),
    mouseTooltip("Inner"),
    mouseChild(10, 10, 20, 20, 2, 0x20200000, click),
    mouseChild(500, 500, 20, 20, 2, MouseLeftPress, click),  // outside its parent
    mouseEndParent(),
    mouseEndParent(),
    mouseEnd(),
};

GAUGE_HEADER testGauge = bareGaugeHeader("TEST", 50, testElements, testMouse);

void fixRoot() {
    root.next_element = rootNext;
    needleA.header.next_element = needleNext;
}

}  // namespace

TEST(HostWalk, VisitsTheTreeDepthFirstAndComputesTheDrawState) {
    seen = {};
    fixRoot();
    tw::Host host;
    tw::Gauge* g = host.createGauge(&testGauge);
    host.setVar(61, 50.0);  // needle 100 after the callback
    host.setVar(70, 2.9);   // icon C without a callback: image 2
    host.setVar(71, 8.0);   // slider y 8 * -0.5
    host.setVar(72, 45.0);  // moving image halfway
    host.setVar(73, 4.0);   // sprite offset 10
    host.setVar(74, 30.0);  // rotation -30
    host.setVar(500, 3.0);
    host.frame();

    const auto& d = g->drawState();
    ASSERT_EQ(d.size(), 8u);
    std::vector<uint32_t> resources, depths;
    for (const auto& s : d) resources.push_back(s.resource_id), depths.push_back(s.depth);
    EXPECT_EQ(resources, (std::vector<uint32_t>{10, 11, 13, 12, 14, 15, 16, 17}));
    EXPECT_EQ(depths, (std::vector<uint32_t>{0, 1, 2, 1, 1, 1, 1, 1}));
    EXPECT_EQ(seen.order, (std::vector<std::string>{"needle", "icon", "slider"}));

    // The needle's first frame lands on its value: 100 is the point due east.
    EXPECT_EQ(d[1].value, 100.0);
    EXPECT_NEAR(d[1].angle, 90.0, 1e-9);
    EXPECT_EQ(d[2].image, 2);
    EXPECT_FALSE(d[2].hidden);
    EXPECT_EQ(d[3].image, 1);
    EXPECT_DOUBLE_EQ(d[4].offset_y, -4.0);
    EXPECT_FALSE(d[4].hidden);
    EXPECT_EQ(d[5].value_x, 3.0);  // the callback's own lookup
    EXPECT_DOUBLE_EQ(d[5].fraction_y, 0.5);
    EXPECT_EQ(d[5].fraction_x, 0.0);  // an empty range does not move
    EXPECT_DOUBLE_EQ(d[6].offset_x, 10.0);
    EXPECT_DOUBLE_EQ(d[6].rotation, -30.0);
    EXPECT_EQ(d[6].texture_center.x, 10);
    EXPECT_EQ(d[6].texture_scale_y, 1.0);
    EXPECT_TRUE(d[7].hidden);

    // The needle then turns at most 10 degrees a frame towards its new value.
    host.setVar(61, 100.0);   // 200: due south, 180 degrees
    host.setVar(70, -1.0);    // icon hidden
    host.setVar(71, -2.0);    // the slider's callback hides it
    host.setVar(72, 1000.0);  // beyond the range
    host.frame();
    EXPECT_NEAR(g->drawState()[1].angle, 100.0, 1e-9);
    EXPECT_TRUE(g->drawState()[2].hidden);
    EXPECT_TRUE(g->drawState()[4].hidden);
    EXPECT_EQ(g->drawState()[5].fraction_y, 1.0);
    host.frames(8);
    EXPECT_NEAR(g->drawState()[1].angle, 180.0, 1e-9);
    host.frame();
    EXPECT_NEAR(g->drawState()[1].angle, 180.0, 1e-9);

    // And the callback shows the slider again.
    host.setVar(71, 1.0);
    host.frame();
    EXPECT_FALSE(g->drawState()[4].hidden);
}

TEST(HostWalk, NeedleScalesInterpolateByValueAndClampAtTheirEnds) {
    PIXPOINT c{100, 100};
    EXPECT_NEAR(tw::pointAngle(c, {100, 0}), 0.0, 1e-9);
    EXPECT_NEAR(tw::pointAngle(c, {200, 100}), 90.0, 1e-9);
    EXPECT_NEAR(tw::pointAngle(c, {0, 100}), 270.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngle(c, scale, 3, 50.0), 45.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngle(c, scale, 3, 150.0), 135.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngle(c, scale, 3, -20.0), 0.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngle(c, scale, 3, 900.0), 180.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngle(c, nullptr, 0, 400.0), 40.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngle(c, nullptr, 0, -90.0), 270.0, 1e-9);

    // A scale that sweeps a whole turn back to its first point, counterclockwise too.
    NONLINEARITY full[] = {
        {{100, 0}, 0}, {{200, 100}, 1}, {{100, 200}, 2}, {{0, 100}, 3}, {{100, 0}, 4}};
    EXPECT_NEAR(tw::scaleAngle(c, full, 5, 3.5), 315.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngleUnfolded(c, full, 5, 4.0), 360.0, 1e-9);
    NONLINEARITY down[] = {{{100, 0}, 10}, {{0, 100}, 0}};
    EXPECT_NEAR(tw::scaleAngle(c, down, 2, 5.0), 315.0, 1e-9);
    EXPECT_NEAR(tw::scaleAngle(c, down, 2, 20.0), 0.0, 1e-9);
    EXPECT_TRUE(std::isfinite(tw::scaleAngle(c, scale, 3, std::nan(""))));
}

TEST(HostMouse, HitTestsNestedAreasAndCallsOrSendsForThem) {
    seen = {};
    fixRoot();
    tw::Host host;
    tw::Gauge* g = host.createGauge(&testGauge, "7 extra");

    // A child carrying an event: the host sends it itself.
    EXPECT_TRUE(g->press(10, 10));
    EXPECT_EQ(host.events(), (std::vector<tw::SentEvent>{{tw::SentEvent::MouseArea, 65595, 0}}));
    EXPECT_EQ(seen.clicks, 0);
    g->release();

    // Where the first child does not reach, the second takes the press.
    EXPECT_TRUE(g->press(55, 5));
    EXPECT_EQ(seen.clicks, 1);
    EXPECT_EQ(seen.point.x, 55);
    EXPECT_EQ(seen.flags, MouseLeftPress);
    EXPECT_STREQ(seen.parameters, "7 extra");
    g->repeat(3);  // no repeat flag: nothing more
    EXPECT_EQ(seen.clicks, 1);
    g->release();

    // A child inside the inner parent: boxes are relative to the parent, points
    // to the child. It repeats while held.
    EXPECT_TRUE(g->press(115, 125));
    EXPECT_EQ(seen.point.x, 5);
    EXPECT_EQ(seen.point.y, 15);
    g->repeat(2);
    EXPECT_EQ(seen.clicks, 4);
    EXPECT_EQ(seen.flags, MouseLeftPress | MouseDownRepeat);
    g->drag(0, 0);  // no drag flag
    EXPECT_EQ(seen.clicks, 4);
    g->release();

    // The drag lever follows the pointer, also outside its box.
    EXPECT_TRUE(g->press(305, 50));
    EXPECT_EQ(seen.point.y, 50);
    g->drag(310, -20);
    EXPECT_EQ(seen.clicks, 6);
    EXPECT_EQ(seen.flags, MouseLeftDrag);
    EXPECT_EQ(seen.point.x, 10);
    EXPECT_EQ(seen.point.y, -20);
    g->release();
    g->drag(310, 10);
    EXPECT_EQ(seen.clicks, 6);

    // A child outside its parent is never hit; empty places take no press.
    EXPECT_FALSE(g->press(505, 505));
    EXPECT_FALSE(g->press(150, 300));
    EXPECT_FALSE(g->press(-1, -1));
    EXPECT_EQ(seen.clicks, 6);
    EXPECT_EQ(host.events().size(), 1u);

    auto extent = g->mouseAreas().extent();
    ASSERT_TRUE(extent.has_value());
    EXPECT_EQ(extent->x, 0);
    EXPECT_EQ(extent->width, 620);  // the stray child counts towards the extent
}

TEST(HostMouse, TooltipsComeFromTheInnermostParentWithTheirArguments) {
    fixRoot();
    tw::Host host;
    tw::Gauge* g = host.createGauge(&testGauge);
    host.setVar(61, 2505.0);
    EXPECT_EQ(g->tooltipAt(10, 10), "Speed (250 knots)");
    host.setVar(335, 2.0);
    EXPECT_EQ(g->tooltipAt(400, 400), "Speed (250 km/h)");
    EXPECT_EQ(g->tooltipAt(150, 120), "Inner");
    EXPECT_EQ(g->tooltipAt(150, 151), "Speed (250 km/h)");

    // FLOOD_SW's own tooltip over its switch.
    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    EXPECT_EQ(flood->tooltipAt(27, 27), "Flood Lighting Switch");
}

TEST(HostMouse, MalformedListsStopSafely) {
    tw::Host host;
    // No end record within reach, unknown record types, unbalanced ends.
    MOUSE_RECT odd[] = {mouseEndParent(), mouseParent(0, 0, 10, 10),
                        mouseChild(0, 0, 5, 5, 1, MouseLeftPress, nullptr),
                        MOUSE_RECT{99, 0, 0, 0, 0, 0, 0, 0, 0, {nullptr}, nullptr}, mouseEnd()};
    GAUGE_HEADER g = bareGaugeHeader("ODD", 10, nullptr, odd);
    tw::Gauge* gauge = host.createGauge(&g);
    host.frame();
    EXPECT_TRUE(gauge->drawState().empty());
    EXPECT_EQ(gauge->mouseAreas().recordCount(), 4u);
    // A child with neither callback nor event does nothing when pressed.
    EXPECT_TRUE(gauge->press(1, 1));
    EXPECT_TRUE(host.events().empty());
    EXPECT_FALSE(gauge->tooltipAt(1, 1).has_value());
    host.destroyGauge(gauge);
}

TEST(HostServices, CalculatorAnswersTheExpressionsATestSetsAndLeavesOthersAlone) {
    tw::Host host;
    host.setCalculatorResult("(A:ADF RADIAL:2,degrees)", 123.5);
    ExecuteCalculatorCodeFn calc = host.services()->execute_calculator_code;
    double result = 0.0;
    calc("(A:ADF RADIAL:2,degrees)", &result, nullptr, nullptr);
    EXPECT_EQ(result, 123.5);
    result = -7.0;
    calc("(A:ADF ACTIVE FREQUENCY:2, KHz)", &result, nullptr, nullptr);
    EXPECT_EQ(result, -7.0);
    host.setCalculatorResult("(A:ADF ACTIVE FREQUENCY:2, KHz)", 1234.5);
    calc("(A:ADF ACTIVE FREQUENCY:2, KHz)", &result, nullptr, nullptr);
    EXPECT_EQ(result, 1234.5);
    // Null arguments are refused without touching anything.
    calc(nullptr, &result, nullptr, nullptr);
    calc("(A:ADF RADIAL:2,degrees)", nullptr, nullptr, nullptr);
    EXPECT_EQ(result, 1234.5);
    host.forgetCalculatorResult("(A:ADF ACTIVE FREQUENCY:2, KHz)");
    result = -7.0;
    calc("(A:ADF ACTIVE FREQUENCY:2, KHz)", &result, nullptr, nullptr);
    EXPECT_EQ(result, -7.0);

    // lookup_var reads unset variables as 0 and keeps the previous reading.
    MODULE_VAR v = hostVar(42);
    v.var_value = 9.0;
    host.services()->lookup_var(&v);
    EXPECT_EQ(v.var_value, 0.0);
    EXPECT_EQ(v.var_old, 9.0);
    host.setVar(42, -3.5);
    host.services()->lookup_var(&v);
    EXPECT_EQ(v.var_value, -3.5);
    EXPECT_EQ(host.var(42), -3.5);
    host.services()->trigger_key_event(65820, 18000);
    EXPECT_EQ(host.events(), (std::vector<tw::SentEvent>{{tw::SentEvent::Module, 65820, 18000}}));
}

TEST(HostServices, LogsKeepTheirMostRecentEntries) {
    tw::Host host;
    for (uint32_t i = 0; i < 70000; ++i) host.services()->trigger_key_event(i, i / 2);
    ASSERT_LE(host.events().size(), 65536u);
    ASSERT_GE(host.events().size(), 32768u);
    EXPECT_EQ(host.events().back().id, 69999u);
    EXPECT_EQ(host.events().front().id, 70000u - host.events().size());

    // Oldest first across the wrap, by index, by iterator and in a copy.
    const uint32_t first = 70000u - static_cast<uint32_t>(host.events().size());
    uint32_t expected = first;
    bool in_order = true;
    for (const tw::SentEvent& e : host.events()) in_order = in_order && e.id == expected++;
    EXPECT_TRUE(in_order);
    EXPECT_EQ(expected, 70000u);
    std::vector<tw::SentEvent> copy = host.events();
    EXPECT_EQ(host.events(), copy);
    EXPECT_EQ(copy[100].id, first + 100);
    EXPECT_EQ(host.events()[100].value, (first + 100) / 2);
    EXPECT_EQ((host.events().end() - 1)->id, 69999u);
    auto kept = host.events();
    host.clearLogs();
    EXPECT_TRUE(host.events().empty());
    EXPECT_EQ(kept.size(), copy.size());
    EXPECT_EQ(kept.back().id, 69999u);
}

namespace {

ELEMENT_HEADER sizedStrip = staticImage({nullptr, 0x2030, 0, 0, 0});
ELEMENT_HEADER sizedUnknown = staticImage({nullptr, 77, 0, 0, 0});
ELEMENT_HEADER* sizedFaceNext[] = {&sizedStrip, &sizedUnknown, nullptr};
ELEMENT_HEADER sizedFace = staticImage({nullptr, 0x1000, 0, 0, 0, sizedFaceNext});
ELEMENT_HEADER* sizedElements[] = {&sizedFace, nullptr};

PIXPOINT sizeSeenAtQuery{};
void HOSTAPI noteSizeAtQuery(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service == ServicePreQuery) sizeSeenAtQuery = sizedFace.image_size;
}

bool operator==(PIXPOINT a, PIXPOINT b) { return a.x == b.x && a.y == b.y; }

}  // namespace

TEST(HostBitmaps, CreatingAGaugeWritesEveryElementsBitmapSizeBeforeAnyCall) {
    GAUGE_HEADER sized = bareGaugeHeader("SIZED", 50, sizedElements, nullptr);
    sized.gauge_callback = noteSizeAtQuery;
    sizedUnknown.image_size = {5, 5};  // whatever was there before
    {
        tw::Host host;
        host.createGauge(&sized);
        EXPECT_TRUE(sizedFace.image_size == (PIXPOINT{276, 276}));
        EXPECT_TRUE(sizeSeenAtQuery == (PIXPOINT{276, 276}));
        EXPECT_TRUE(sizedStrip.image_size == (PIXPOINT{30, 440}));
        EXPECT_TRUE(sizedUnknown.image_size == (PIXPOINT{0, 0}));  // no size known

        // A test may give or take sizes; they apply from the next creation on.
        host.bitmapSizes().set(77, 12, 34);
        host.bitmapSizes().forget(0x2030);
        EXPECT_TRUE(sizedUnknown.image_size == (PIXPOINT{0, 0}));
        host.createGauge(&sized);
        EXPECT_TRUE(sizedUnknown.image_size == (PIXPOINT{12, 34}));
        EXPECT_TRUE(sizedStrip.image_size == (PIXPOINT{0, 0}));
        EXPECT_TRUE(sizedFace.image_size == (PIXPOINT{276, 276}));

        EXPECT_EQ(host.bitmapSizes().find(9360).value().x, 640);
        EXPECT_EQ(host.bitmapSizes().find(9360).value().y, 480);
        EXPECT_EQ(host.bitmapSizes().find(0x1870).value().x, 147);
    }
    // Each host starts from the sizes it knows.
    tw::Host host;
    host.createGauge(&sized);
    EXPECT_TRUE(sizedStrip.image_size == (PIXPOINT{30, 440}));
    EXPECT_TRUE(sizedUnknown.image_size == (PIXPOINT{0, 0}));
    EXPECT_FALSE(host.bitmapSizes().find(77).has_value());
}

}  // namespace host_test
