// AUTOPILOT1's controls on the bundled host, without the systems tick: what each
// selector, wheel, knob and switch sends and how its picture moves.

#include <gtest/gtest.h>

#include <cmath>

#include "host/host.h"
#include "tests/support/event_log.h"

namespace autopilot_test {

namespace {

using twtest::Events;
using twtest::sent;

constexpr uint32_t PanelLights = 10, Glideslope = 41, Airspeed = 61, Mach = 64,
                   VerticalSpeedRaw = 65, Altitude = 74, Master = 103, Heading = 107;

double raw(double fpm) { return (fpm + (fpm < 0 ? -0.5 : 0.5)) * 1.30048; }

struct Point {
    int32_t x, y;
};
constexpr Point VerticalDown{30, 40}, VerticalUp{100, 40}, WheelMinus{200, 40}, WheelPush{200, 90},
    WheelPlus{200, 130}, RollLeft{270, 80}, RollPush{300, 80}, RollRight{330, 80},
    EngageUp{420, 30}, EngageDown{410, 100}, HorizontalDown{490, 60}, HorizontalUp{540, 60};
constexpr size_t LitFace = 1, RollNeedle = 2, Wheel = 3, VerticalSelector = 4, EngageSwitch = 5,
                 HorizontalSelector = 6;

struct Controller {
    tw::Host host;
    tw::Gauge* g = host.createGauge("AUTOPILOT1");
    // A press (held for `repeats` more firings), then the next update.
    Events press(Point p, int repeats = 0) {
        host.clearLogs();
        EXPECT_TRUE(g->press(p.x, p.y));
        g->repeat(repeats);
        g->release();
        host.frame();
        return twtest::eventLog(host);
    }
    const tw::ElementState& at(size_t i) const { return g->drawState()[i]; }
};

}  // namespace

TEST(Autopilot, VerticalSelectorStepsBothWays) {
    Controller c;
    c.host.setVar(VerticalSpeedRaw, raw(-800));
    c.host.setVar(Airspeed, 250);
    c.host.setVar(Mach, 16000);
    c.host.setVar(Master, 1.0);
    struct Step {
        Point where;
        int position;
        Events events;
    };
    const Step steps[] = {
        // Into pitch on speed: the target, the hold, and the altitude by the
        // vertical speed at the selection.
        {VerticalDown, 1, {sent(66036, 0), sent(66115, 1), sent(66124, 0)}},
        {VerticalDown, 0, {sent(66036, 0), sent(66115, 1), sent(66124, 0)}},
        {VerticalDown, 0, {}},
        {VerticalUp, 1, {sent(66036, 0), sent(66115, 1)}},
        // Back to vertical speed at the present rate.
        {VerticalUp, 2, {sent(66036, -800), sent(66115, 1), sent(66124, 0)}},
        {VerticalUp, 3, {}},
        {VerticalUp, 4, {sent(65804, 1)}},
        {VerticalUp, 4, {}},
        {VerticalDown, 3, {sent(65812, 1)}},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(c.press(s.where), s.events) << s.position;
        EXPECT_EQ(c.at(VerticalSelector).image, s.position);
    }
    // With the host's autopilot off the present rate is taken without sending
    // it, but the step into airspeed sends the target all the same.
    c.host.setVar(Master, 0.0);
    c.host.setVar(VerticalSpeedRaw, raw(300));
    EXPECT_EQ(c.press(VerticalDown), Events{sent(66115, 1)});
    EXPECT_EQ(c.press(VerticalDown),
              (Events{sent(66036, 300), sent(66115, 1), sent(66124, 60000)}));
    EXPECT_EQ(c.press(VerticalUp), (Events{sent(66115, 1), sent(66124, 60000)}));
}

TEST(Autopilot, WheelSetsTheTargetWithoutLimitAndShowsAtMost5000) {
    Controller c;
    c.host.setVar(Altitude, 12345.6);
    c.host.setVar(Master, 1.0);
    c.press(VerticalDown);  // the wheel takes the selector back to vertical speed
    Events events = c.press(WheelPlus, 19);
    EXPECT_EQ(events.size(), 60u);
    EXPECT_EQ(Events(events.end() - 3, events.end()),
              (Events{sent(66036, 2000), sent(66115, 1), sent(66124, 60000)}));
    EXPECT_EQ(c.at(VerticalSelector).image, 2);
    EXPECT_EQ(c.at(Wheel).value_y, 2000);
    c.press(WheelPlus, 39);
    EXPECT_EQ(twtest::eventLog(c.host).back(), sent(66124, 60000));
    EXPECT_EQ(c.host.events()[c.host.events().size() - 3], sent(66036, 6000));
    EXPECT_EQ(c.at(Wheel).value_y, 5000);

    // Down to 0: the altitude preset holds the altitude the wheel just read.
    c.press(WheelMinus, 58);
    EXPECT_EQ(c.press(WheelMinus), (Events{sent(66036, 0), sent(66115, 1), sent(66124, 12345)}));
    EXPECT_EQ(c.press(WheelMinus, 60).back(), sent(66124, 0));
    EXPECT_EQ(c.at(Wheel).value_y, -5000);

    // A push holds the altitude of the moment.
    c.host.setVar(Altitude, 8000.9);
    EXPECT_EQ(c.press(WheelPush), (Events{sent(66104), sent(66036, 0), sent(66115, 0),
                                          sent(66124, 8000), sent(66103)}));
    EXPECT_EQ(c.at(Wheel).value_y, 0);

    // The wheel keeps its place in 3 and 4, follows the target only while the
    // host's autopilot flies, and shows 0 in pitch on speed.
    c.press(WheelPlus, 4);
    c.press(VerticalUp);
    EXPECT_EQ(c.at(VerticalSelector).image, 3);
    EXPECT_EQ(c.at(Wheel).value_y, 500);
    c.press(VerticalDown);  // back to 2, the target the present rate, 0
    EXPECT_EQ(c.at(Wheel).value_y, 0);
    c.host.setVar(Master, 0.0);
    c.press(WheelPlus, 2);
    EXPECT_EQ(c.at(Wheel).value_y, 0);
    c.host.setVar(Master, 1.0);
    c.host.frame();
    EXPECT_EQ(c.at(Wheel).value_y, 300);
    c.press(VerticalDown);
    EXPECT_EQ(c.at(Wheel).value_y, 0);

    // A rate that is no number becomes the integer-indefinite target, which a
    // further press down holds instead of overflowing.
    c.host.setVar(VerticalSpeedRaw, std::nan(""));
    EXPECT_EQ(c.press(VerticalUp).front(), sent(66036, INT32_MIN));
    EXPECT_EQ(c.press(WheelMinus).front(), sent(66036, INT32_MIN));
    EXPECT_EQ(c.at(Wheel).value_y, -5000);
}

TEST(Autopilot, RollKnobStopsAt32AndCentresOnce) {
    Controller c;
    Events events = c.press(RollLeft, 39);
    EXPECT_EQ(events.size(), 80u);
    for (size_t i = 0; i < events.size(); i += 2) {
        EXPECT_EQ(events[i], sent(65817, 1));
        EXPECT_EQ(events[i + 1], sent(66107, 1));
    }
    EXPECT_EQ(c.at(RollNeedle).value, 30);
    c.press(RollRight, 30);
    EXPECT_EQ(c.at(RollNeedle).value, 1);
    EXPECT_EQ(c.press(RollRight), (Events{sent(65817, 1), sent(66107, 1), sent(65809, 1)}));
    EXPECT_EQ(c.press(RollRight).size(), 2u);
    EXPECT_EQ(c.at(RollNeedle).value, -1);
    EXPECT_EQ(c.press(RollPush, 1), (Events{sent(65809, 1), sent(65809, 1)}));
    EXPECT_EQ(c.at(RollNeedle).value, 0);

    // A turned knob pulls a horizontal selector below 2 back once its needle
    // has moved, on the update after.
    c.press(HorizontalDown);
    c.press(HorizontalDown);
    EXPECT_EQ(c.at(HorizontalSelector).image, 0);
    EXPECT_EQ(c.press(RollLeft), (Events{sent(65817, 1), sent(66107, 1)}));
    c.host.clearLogs();
    c.host.frames(2);
    EXPECT_EQ(twtest::eventLog(c.host), Events{sent(66107)});
    EXPECT_EQ(c.at(HorizontalSelector).image, 2);
}

TEST(Autopilot, EngageSwitchThreePositions) {
    Controller c;
    c.host.setVar(VerticalSpeedRaw, raw(-640));
    c.host.setVar(Heading, 359.9);
    c.press(VerticalDown);
    c.press(HorizontalUp);
    EXPECT_EQ(c.press(EngageDown), Events{});
    EXPECT_EQ(c.press(EngageUp), Events{sent(66069)});
    EXPECT_EQ(c.at(EngageSwitch).image, 1);
    EXPECT_EQ(c.press(EngageUp), (Events{sent(65792), sent(66036, -640), sent(66115, 0),
                                         sent(66124, 0), sent(66103)}));
    EXPECT_EQ(c.press(EngageUp), Events{});
    EXPECT_EQ(c.at(EngageSwitch).image, 2);
    EXPECT_EQ(c.press(EngageDown), (Events{sent(65817, 1), sent(65791), sent(66042, 359),
                                           sent(66036, 0), sent(66124, 0), sent(66104)}));
    EXPECT_EQ(c.at(VerticalSelector).image, 2);
    EXPECT_EQ(c.at(HorizontalSelector).image, 2);
    EXPECT_EQ(c.press(EngageDown), Events{sent(66070)});
    EXPECT_EQ(c.at(EngageSwitch).image, 0);
}

TEST(Autopilot, HorizontalSelectorStepsAndTheApproachGivesUpVerticalSpeed) {
    Controller c;
    struct Step {
        Point where;
        int position;
        Events events;
    };
    const Step steps[] = {
        {HorizontalUp, 3, {sent(65811)}},
        {HorizontalUp, 4, {sent(65806)}},
        {HorizontalUp, 4, {}},
        {HorizontalDown, 3, {sent(65814), sent(65811)}},
        {HorizontalDown, 2, {sent(66107), sent(65819), sent(65814)}},
        {HorizontalDown, 1, {sent(65798)}},
        {HorizontalDown, 0, {sent(66375), sent(65811)}},
        {HorizontalDown, 0, {}},
        {HorizontalUp, 1, {sent(66375), sent(65819), sent(65798)}},
        {HorizontalUp, 2, {sent(66107)}},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(c.press(s.where), s.events) << s.position;
        EXPECT_EQ(c.at(HorizontalSelector).image, s.position);
    }

    // In position 4 a glideslope reading strictly between -30 and 0 gives the
    // vertical selector back to vertical speed.
    c.press(HorizontalUp, 0);
    c.press(HorizontalUp);
    for (double gs : {0.0, -30.0, -29.9}) {
        c.press(VerticalDown);
        ASSERT_EQ(c.at(VerticalSelector).image, 1);
        c.host.setVar(Glideslope, gs);
        c.host.frame();
        c.host.frame();
        EXPECT_EQ(c.at(VerticalSelector).image, gs == -29.9 ? 2 : 1) << gs;
        if (gs != -29.9) c.press(VerticalUp);
    }
}

TEST(Autopilot, LitFaceAndTooltips) {
    Controller c;
    c.host.frame();
    EXPECT_TRUE(c.at(LitFace).hidden);
    c.host.setVar(PanelLights, 1.0);
    c.host.frame();
    EXPECT_FALSE(c.at(LitFace).hidden);
    EXPECT_EQ(c.g->tooltipAt(VerticalUp.x, VerticalUp.y), "Autopilot Vertical Mode Selector");
    EXPECT_EQ(c.g->tooltipAt(WheelPush.x, WheelPush.y), "Autopilot Vertical Speed Knob");
    EXPECT_EQ(c.g->tooltipAt(RollPush.x, RollPush.y), "Autopilot Roll Setting Knob");
    EXPECT_EQ(c.g->tooltipAt(HorizontalUp.x, HorizontalUp.y), "Autopilot Horizontal Mode Selector");
    EXPECT_EQ(c.g->tooltipAt(EngageUp.x, EngageUp.y), std::nullopt);
    EXPECT_EQ(c.g->mouseAreas().helpIdAt(EngageUp.x, EngageUp.y), 43790u);
}

}  // namespace autopilot_test
