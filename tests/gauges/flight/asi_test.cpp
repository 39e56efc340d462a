#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "host/host.h"
#include "host/needle_scale.h"

namespace asi_test {

namespace {

constexpr uint32_t Airspeed = 61;
constexpr uint32_t BarberPole = 63;
constexpr uint32_t Units = 335;

// Points inside each knob's box.
struct Knob {
    int32_t x, y;
};
constexpr Knob CommandDown{23, 242}, CommandUp{51, 242};
constexpr Knob BugDown[4] = {{203, 25}, {243, 65}, {243, 219}, {203, 254}};
constexpr Knob BugUp[4] = {{223, 25}, {263, 65}, {263, 219}, {223, 254}};

constexpr PIXPOINT Centre{145, 141};

// The ASI's draw state, bottom to top: face, overlay, command bug, striped
// pointer, airspeed needle, speed bugs 4, 3, 2, 1.
struct AsiView {
    tw::ElementState command, barberPole, airspeed;
    std::array<tw::ElementState, 4> bug;  // bug[0] is the lowest
};

AsiView view(const tw::Gauge& g) {
    AsiView v{};
    const auto& d = g.drawState();
    EXPECT_EQ(d.size(), 9u);
    if (d.size() != 9) return v;
    EXPECT_EQ(d[0].resource_id, 0x1000u);
    EXPECT_EQ(d[1].resource_id, 0x1050u);
    EXPECT_EQ(d[2].resource_id, 0x1030u);
    EXPECT_EQ(d[3].resource_id, 0x1020u);
    EXPECT_EQ(d[4].resource_id, 0x1010u);
    v.command = d[2];
    v.barberPole = d[3];
    v.airspeed = d[4];
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d[8 - i].resource_id, 0x1040u);
        v.bug[i] = d[8 - i];
    }
    return v;
}

std::array<double, 4> bugs(const tw::Gauge& g) {
    AsiView v = view(g);
    return {v.bug[0].value, v.bug[1].value, v.bug[2].value, v.bug[3].value};
}

// A left press held for `repeats` further firings, then released.
void click(tw::Gauge& g, Knob k, int repeats = 0) {
    ASSERT_TRUE(g.press(k.x, k.y));
    g.repeat(repeats);
    g.release();
}

double angleOf(PIXPOINT p) { return tw::pointAngle(Centre, p); }

using Bugs = std::array<double, 4>;

}  // namespace

TEST(Asi, StartsWithTheInitialBugSettings) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    ASSERT_NE(g, nullptr);
    host.frame();
    EXPECT_EQ(view(*g).command.value, 114);
    EXPECT_EQ(bugs(*g), (Bugs{100, 103, 106, 109}));
}

TEST(Asi, RaisingTheLowestBugPushesTheOthersUpOnTheNextUpdate) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    host.frame();

    click(*g, BugUp[0]);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{101, 103, 106, 109}));
    click(*g, BugUp[0]);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{102, 104, 106, 109}));
    click(*g, BugUp[0]);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{103, 105, 107, 109}));
}

TEST(Asi, LoweringABugPushesTheCrowdedOnesBelowItDown) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    host.frame();

    // 108 is not below 106 + 2: nothing else moves.
    click(*g, BugDown[3]);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{100, 103, 106, 108}));
    // 107 crowds bug 3, which drops to 104 and crowds bug 2, and so on down.
    click(*g, BugDown[3]);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{98, 101, 104, 107}));

    // Lowering bug 2 stops the push at bug 1 when it is not crowded.
    click(*g, BugDown[1]);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{98, 100, 104, 107}));
    click(*g, BugDown[1]);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{96, 99, 104, 107}));
}

TEST(Asi, OnlyTheClickedBugIsHeldAtTheFloor) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    host.frame();

    click(*g, BugDown[0], 100);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{40, 103, 106, 109}));

    // Bug 2 pushes bug 1 below the floor at 41, and again at 39 before it is
    // itself put back to 40.
    click(*g, BugDown[1], 100);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{36, 40, 106, 109}));
}

TEST(Asi, HeldKnobsStopAtTheirLimits) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    host.frame();

    click(*g, CommandDown, 73);
    host.frame();
    EXPECT_EQ(view(*g).command.value, 40);
    click(*g, CommandDown);
    click(*g, CommandDown, 5);
    host.frame();
    EXPECT_EQ(view(*g).command.value, 40);
    click(*g, CommandUp);
    host.frame();
    EXPECT_EQ(view(*g).command.value, 41);
    click(*g, CommandUp, 500);
    host.frame();
    EXPECT_EQ(view(*g).command.value, 450);

    // A chain of pushes from the top bug drags the lower ones below the floor.
    click(*g, BugDown[3], 200);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{30, 33, 36, 40}));

    // The clicked bug stops at 450, but the update pushes the one above past it.
    click(*g, BugUp[2], 500);
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{30, 33, 450, 452}));
}

TEST(Asi, NeedlesStopAtTheDialsEndWhileTheTooltipShowsTheSpeed) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    host.setVar(Airspeed, 500);
    host.setVar(BarberPole, 500 * 128);
    host.frame();
    EXPECT_EQ(view(*g).airspeed.value, 450);
    EXPECT_EQ(view(*g).barberPole.value, 450);
    EXPECT_EQ(g->tooltipAt(140, 140), "Airspeed Indicator (500 knots)");
    host.setVar(Units, 2);
    EXPECT_EQ(g->tooltipAt(140, 140), "Airspeed Indicator (926 km/h)");
    // Metric weights alone leave the speed in knots.
    host.setVar(Units, 1);
    EXPECT_EQ(g->tooltipAt(140, 140), "Airspeed Indicator (500 knots)");

    host.setVar(Airspeed, 250.9);
    host.setVar(BarberPole, 340 * 128 + 64);
    host.frame();
    EXPECT_EQ(view(*g).airspeed.value, 250.9);
    EXPECT_EQ(view(*g).barberPole.value, 340.5);
    host.setVar(Units, 0);
    EXPECT_EQ(g->tooltipAt(140, 140), "Airspeed Indicator (250 knots)");
    host.setVar(Units, 2);
    EXPECT_EQ(g->tooltipAt(140, 140), "Airspeed Indicator (464 km/h)");
}

TEST(Asi, NeedlesFollowTheAirspeedScale) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");

    // The airspeed needle's zero point differs from the other needles'.
    host.frame();
    EXPECT_NEAR(view(*g).airspeed.angle, angleOf({162, 28}), 1e-9);
    EXPECT_NEAR(view(*g).barberPole.angle, angleOf({160, 26}), 1e-9);

    // Fresh host: every needle's first frame is drawn at its target.
    struct Case {
        double knots;
        PIXPOINT below, above;
    };
    const Case cases[] = {
        {20, {162, 28}, {165, 29}}, {130, {251, 109}, {255, 157}}, {225, {146, 252}, {48, 212}},
        {330, {22, 162}, {27, 93}}, {449, {66, 45}, {119, 23}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.knots);
        host.setVar(Airspeed, c.knots);
        host.frame();
        double a = view(*g).airspeed.angle;
        double lo = angleOf(c.below), hi = angleOf(c.above);
        if (hi < lo) hi += 360;  // the scale passes 12 o'clock between 400 and 450
        double unfolded = a < lo ? a + 360 : a;
        EXPECT_GT(unfolded, lo);
        EXPECT_LT(unfolded, hi);
    }

    // The bugs ride the same scale: bug 1 at 100 sits on the 100 mark.
    EXPECT_NEAR(view(*g).bug[0].angle, angleOf({232, 73}), 1e-9);
    // The command bug at 114 sits 14/20 of the way from the 100 to the 120 mark.
    double a100 = angleOf({232, 73}), a120 = angleOf({251, 109});
    EXPECT_NEAR(view(*g).command.angle, a100 + (a120 - a100) * 14 / 20, 1e-9);
}

TEST(Asi, OnlyTheAirspeedNeedleTurnsWithoutALimit) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    host.frame();
    double pole = view(*g).barberPole.angle;
    double bug = view(*g).bug[0].angle;
    double command = view(*g).command.angle;

    host.setVar(Airspeed, 400);
    host.setVar(BarberPole, 400 * 128);
    click(*g, BugUp[0], 49);   // bug 1 to 150
    click(*g, CommandUp, 35);  // command bug to 150
    host.frame();
    EXPECT_NEAR(view(*g).airspeed.angle, angleOf({66, 45}), 1e-9);
    EXPECT_NEAR(view(*g).barberPole.angle, pole + 3, 1e-9);
    EXPECT_NEAR(view(*g).bug[0].angle, bug + 3, 1e-9);
    EXPECT_NEAR(view(*g).command.angle, command + 3, 1e-9);
    EXPECT_EQ(view(*g).bug[0].value, 150);
    EXPECT_EQ(view(*g).command.value, 150);
    host.frames(200);
    EXPECT_NEAR(view(*g).barberPole.angle, angleOf({66, 45}), 1e-9);
}

TEST(Asi, KnobsShowArrowsAndReturnZero) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ASI");
    const tw::MouseAreas& areas = g->mouseAreas();
    EXPECT_EQ(areas.cursorAt(CommandDown.x, CommandDown.y), 2);
    EXPECT_EQ(areas.cursorAt(CommandUp.x, CommandUp.y), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(areas.cursorAt(BugDown[i].x, BugDown[i].y), 2) << i;
        EXPECT_EQ(areas.cursorAt(BugUp[i].x, BugUp[i].y), 1) << i;
    }
    // Box corners: the command knobs meet at x = 37.
    EXPECT_EQ(areas.cursorAt(9, 214), 2);
    EXPECT_EQ(areas.cursorAt(36, 270), 2);
    EXPECT_EQ(areas.cursorAt(37, 214), 1);
    EXPECT_EQ(areas.cursorAt(64, 270), 1);
    EXPECT_EQ(areas.cursorAt(65, 240), -1);
    EXPECT_EQ(areas.cursorAt(140, 140), -1);
    EXPECT_EQ(areas.helpIdAt(140, 140), 43778u);
    EXPECT_EQ(areas.helpIdAt(275, 275), 43778u);
    EXPECT_EQ(areas.helpIdAt(276, 100), 0u);
    EXPECT_EQ(g->tooltipAt(280, 100), std::nullopt);

    EXPECT_EQ(g->lastMouseResult(), std::nullopt);
    for (Knob k : {CommandDown, CommandUp, BugDown[0], BugUp[0], BugDown[1], BugUp[1], BugDown[2],
                   BugUp[2], BugDown[3], BugUp[3]}) {
        ASSERT_TRUE(g->press(k.x, k.y));
        EXPECT_EQ(g->lastMouseResult(), 0);
        g->release();
    }
    EXPECT_FALSE(g->press(140, 140));
    EXPECT_TRUE(host.events().empty());
}

TEST(Asi, CopiesOnTwoPanelsShareTheBugs) {
    tw::Host host;
    tw::Gauge* a = host.createGauge("ASI");
    tw::Gauge* b = host.createGauge("ASI");
    click(*a, BugUp[3], 9);
    click(*b, CommandDown, 4);
    host.frame();
    EXPECT_EQ(bugs(*a), (Bugs{100, 103, 106, 119}));
    EXPECT_EQ(bugs(*b), (Bugs{100, 103, 106, 119}));
    EXPECT_EQ(view(*a).command.value, 109);
}

TEST(Asi, TheBugsAreOrderedOnlyBeforeAnUpdate) {
    tw::Host host;
    auto* speed_bugs = static_cast<int32_t*>(host.module().symbol("AsiSpeedBug"));
    auto* command_bug = static_cast<int32_t*>(host.module().symbol("AsiCommandBug"));
    if (!speed_bugs || !command_bug) GTEST_SKIP() << "the module's globals are not exported here";
    EXPECT_EQ(*command_bug, 114);
    tw::Gauge* g = host.createGauge("ASI");
    GAUGE_HEADER* header = g->header();
    ASSERT_NE(header->gauge_callback, nullptr);

    const int32_t crowded[4] = {200, 100, 300, 301};
    std::copy(crowded, crowded + 4, speed_bugs);
    for (int32_t service = 0; service <= 16; ++service) {
        if (service != ServicePreUpdate)
            host.module().callGauge(header->gauge_callback, header, service, 0);
    }
    EXPECT_TRUE(std::equal(crowded, crowded + 4, speed_bugs));
    host.frame();
    EXPECT_EQ(bugs(*g), (Bugs{200, 202, 300, 302}));
    EXPECT_EQ(speed_bugs[3], 302);
}

}  // namespace asi_test
