// HSI on the bundled host: the card, course pointer, heading bug and TO/FROM
// arrow turned by the heading, the deviation bar, and the two knobs' wraps.

#include <gtest/gtest.h>

#include <vector>

#include "host/host.h"

namespace hsi_test {

namespace {

constexpr uint32_t Deviation = 40, Course = 45, Heading = 81, HeadingTip = 84, Bug = 107,
                   ToFrom = 853;
constexpr uint32_t CourseSet = 65716, BugSet = 66042;

constexpr size_t Card = 1, BugNeedle = 2, ToFromArrow = 3, CoursePointer = 4, DeviationBar = 5;

struct Point {
    int32_t x, y;
};
constexpr Point CourseDown{240, 260}, CourseUp{291, 298}, BugDown{12, 234}, BugUp{60, 270};

// The value each click sends, with the knob's variable at `from`.
uint32_t sentBy(tw::Host& host, tw::Gauge& g, Point knob, uint32_t var, double from) {
    host.setVar(var, from);
    EXPECT_TRUE(g.press(knob.x, knob.y));
    g.release();
    EXPECT_EQ(g.lastMouseResult(), 0);
    return host.events().back().value;
}

}  // namespace

TEST(Hsi, NeedlesTurnWithTheCardFromTheFirstFrame) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("HSI");
    ASSERT_NE(g, nullptr);
    host.setVar(Heading, 90.8);
    host.setVar(Course, 45);
    host.setVar(Bug, 100);
    host.setVar(Deviation, 10);
    host.setVar(ToFrom, 1);
    host.frame();
    // The reference is 359 - 90 = 269; each needle adds a full turn.
    const auto& d = g->drawState();
    ASSERT_EQ(d.size(), 6u);
    EXPECT_DOUBLE_EQ(d[Card].rotation, 90.8);
    EXPECT_EQ(d[Card].texture_scale_y, 0.98);
    EXPECT_EQ(d[CoursePointer].value, 45 + 269 + 360);
    EXPECT_EQ(d[BugNeedle].value, 100 + 269 + 360);
    EXPECT_NEAR(d[BugNeedle].angle, 9, 1e-9);
    EXPECT_EQ(d[ToFromArrow].value, 45 + 269 + 360);
    EXPECT_FALSE(d[ToFromArrow].hidden);
    EXPECT_DOUBLE_EQ(d[DeviationBar].offset_y, 10 * -0.682813);
    EXPECT_DOUBLE_EQ(d[DeviationBar].rotation, 90.8 + 90.5 - 45);
    EXPECT_EQ(d[DeviationBar].texture_scale_x, 1.5);

    // FROM turns the arrow half a turn; no indication hides it.
    host.setVar(ToFrom, -1);
    host.frame();
    EXPECT_EQ(g->drawState()[ToFromArrow].value, 45 + 269 + 360 + 180);
    EXPECT_FALSE(g->drawState()[ToFromArrow].hidden);
    host.setVar(ToFrom, 0);
    host.frame();
    EXPECT_TRUE(g->drawState()[ToFromArrow].hidden);
    host.setVar(ToFrom, 0.01);
    host.frame();
    EXPECT_FALSE(g->drawState()[ToFromArrow].hidden);

    host.setVar(HeadingTip, 91);
    EXPECT_EQ(g->tooltipAt(150, 150),
              "Horizontal Situation Indicator (Course 45\xB0, Heading 91\xB0)");
}

TEST(Hsi, KnobsStepByOneDegreeAndWrapOnceTheWayTheyTurn) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("HSI");
    // 360 itself is sent unchanged; only past it the knob wraps.
    EXPECT_EQ(sentBy(host, *g, CourseUp, Course, 359), 360u);
    EXPECT_EQ(sentBy(host, *g, CourseUp, Course, 360), 1u);
    EXPECT_EQ(sentBy(host, *g, CourseUp, Course, 1), 2u);
    EXPECT_EQ(sentBy(host, *g, CourseDown, Course, 0), 359u);
    EXPECT_EQ(sentBy(host, *g, CourseDown, Course, 1), 0u);
    EXPECT_EQ(sentBy(host, *g, CourseDown, Course, 200.7), 199u);
    EXPECT_EQ(sentBy(host, *g, BugDown, Bug, 0), 359u);
    EXPECT_EQ(sentBy(host, *g, BugUp, Bug, 359), 360u);
    EXPECT_EQ(sentBy(host, *g, BugUp, Bug, 360), 1u);
    EXPECT_EQ(sentBy(host, *g, BugDown, Bug, 359), 358u);
    // Each knob wraps only the way it turns: a value beyond the circle steps
    // on from there the other way.
    EXPECT_EQ(sentBy(host, *g, CourseDown, Course, 400), 399u);
    EXPECT_EQ(sentBy(host, *g, BugDown, Bug, 400), 399u);
    EXPECT_EQ(sentBy(host, *g, BugUp, Bug, 400), 41u);
    EXPECT_EQ(sentBy(host, *g, CourseUp, Course, -10), static_cast<uint32_t>(-9));
    EXPECT_EQ(sentBy(host, *g, CourseDown, Course, -10), 349u);
    std::vector<uint32_t> ids;
    for (const auto& e : host.events()) {
        EXPECT_EQ(e.source, tw::SentEvent::Module);
        ids.push_back(e.id);
    }
    EXPECT_EQ(ids, (std::vector<uint32_t>{CourseSet, CourseSet, CourseSet, CourseSet, CourseSet,
                                          CourseSet, BugSet, BugSet, BugSet, BugSet, CourseSet,
                                          BugSet, BugSet, CourseSet, CourseSet}));

    // Held, a knob repeats from the host's value, which only the host changes.
    host.setVar(Course, 10);
    ASSERT_TRUE(g->press(CourseUp.x, CourseUp.y));
    g->repeat(2);
    g->release();
    EXPECT_EQ(host.events().size(), 18u);
    EXPECT_EQ(host.events().back().value, 11u);
    EXPECT_FALSE(g->press(150, 150));
}

}  // namespace hsi_test
