// THROTTLE_QUAD on the bundled host: the lever pictures, the flap, speed brake
// and thrust lever areas, the start levers with their light-off timing, and
// what the gauge does as it is initialised.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace throttle_quad_test {

namespace {

using tw::SentEvent;
using Events = std::vector<SentEvent>;

constexpr uint32_t TickCounter = 1;
constexpr uint32_t OnGround = 60;
constexpr uint32_t StartRule = 324;
constexpr uint32_t SpeedBrake = 325;
constexpr uint32_t FlapLever = 328;
constexpr uint32_t FurtherPower = 364;
constexpr uint32_t Trim = 783;

// Engine n = 1..4.
constexpr uint32_t thrustLever(int n) { return 128 + 35 * (n - 1); }
constexpr uint32_t startLever(int n) { return 130 + 35 * (n - 1); }
constexpr uint32_t engineRunning(int n) { return 131 + 35 * (n - 1); }
constexpr uint32_t thrustEvent(int n) { return 65820 + (n - 1); }
constexpr uint32_t fuelOnEvent(int n) { return 65983 + 5 * (n - 1); }
constexpr uint32_t cutoffEvent(int n) { return 65987 + 5 * (n - 1); }

SentEvent sent(uint32_t id, uint32_t value = 0) { return {SentEvent::Module, id, value}; }
SentEvent byHost(uint32_t id) { return {SentEvent::MouseArea, id, 0}; }
// A lever position as the 32-bit event value carries it: sign-extended.
uint32_t leverValue(int32_t position) { return static_cast<uint32_t>(position); }

struct Point {
    int32_t x, y;
};
// Points inside each area's box.
constexpr Point StartLeverAt[4] = {{196, 375}, {269, 416}, {317, 440}, {390, 458}};
constexpr int32_t ThrustLeverX[4] = {215, 250, 336, 371};
constexpr Point FlapFirst{516, 37}, FlapLast{594, 427};
constexpr Point FlapDetents[4] = {{555, 107}, {530, 233}, {594, 236}, {520, 362}};
constexpr Point BrakeUpper{84, 100}, BrakeMiddle{126, 218}, BrakeOverlap{100, 240},
    BrakeLower{100, 378};

// The draw state, bottom to top.
constexpr size_t Pedestal = 0, TrimPedestal = 1, TrimLeft = 2, Reverse = 3, Forward = 7, Knob = 11,
                 TrimWheel = 15, Flap = 16, Brake = 17, Cover = 18, StartIcon = 19,
                 ElementCount = 23;

void click(tw::Gauge& g, Point p) {
    ASSERT_TRUE(g.press(p.x, p.y)) << p.x << "," << p.y;
    g.release();
}

// The pedestal's height as the host wrote it into the root element.
int32_t pedestalHeight(const tw::Gauge& g) { return g.header()->elements_list[0]->image_size.y; }

// The lever position for a pointer at y over a pedestal of height h, in the
// host's 16-bit lever units.
int32_t leverAt(int32_t h, int32_t y) {
    auto d = static_cast<int16_t>(h - y);
    return static_cast<int16_t>(d * 25000 / h - 7000);
}

}  // namespace

TEST(ThrottleQuad, DrawsTheLeversFromTheirVariables) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
    ASSERT_NE(g, nullptr);
    host.setVar(Trim, 0.25);
    host.setVar(FlapLever, 1000.0);
    host.setVar(SpeedBrake, 2000.0);
    host.frame();

    const auto& d = g->drawState();
    ASSERT_EQ(d.size(), ElementCount);
    std::vector<uint32_t> resources;
    for (const auto& s : d) resources.push_back(s.resource_id);
    EXPECT_EQ(resources, (std::vector<uint32_t>{9360, 9376, 9296, 9280, 9280, 9280, 9280, 9264,
                                                9264, 9264, 9264, 9248, 9248, 9248, 9248, 9344,
                                                9312, 9328, 9232, 9216, 9216, 9216, 9216}));
    EXPECT_EQ(d[Pedestal].type, uint32_t{ElementStaticImage});
    EXPECT_EQ(d[Cover].type, uint32_t{ElementStaticImage});
    EXPECT_TRUE(d[Cover].hidden);
    EXPECT_EQ(d[Cover].position.x, 180);
    EXPECT_EQ(d[Cover].position.y, 20);
    for (size_t i = Reverse; i < Cover; ++i) EXPECT_EQ(d[i].type, uint32_t{ElementSlider}) << i;

    // Vertical travel only: the value times the scale.
    EXPECT_DOUBLE_EQ(d[TrimPedestal].offset_y, 75.0);
    EXPECT_DOUBLE_EQ(d[TrimLeft].offset_y, 75.0);
    EXPECT_DOUBLE_EQ(d[TrimWheel].offset_y, 150.0);
    EXPECT_DOUBLE_EQ(d[Flap].offset_y, 20.7);
    EXPECT_DOUBLE_EQ(d[Brake].offset_y, 34.0);
    for (size_t i = TrimPedestal; i < Cover; ++i) EXPECT_EQ(d[i].offset_x, 0.0) << i;
    EXPECT_EQ(d[TrimPedestal].position.x, 605);
    EXPECT_EQ(d[Brake].position.x, 63);
    EXPECT_EQ(d[Brake].position.y, 88);

    const int32_t forwardY[4] = {264, 267, 265, 267}, knobY[4] = {314, 317, 315, 317};
    const int32_t startX[4] = {194, 245, 293, 347};
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(d[Reverse + n - 1].position.x, 196 + 50 * (n - 1));
        EXPECT_EQ(d[Reverse + n - 1].position.y, 272);
        EXPECT_EQ(d[Forward + n - 1].position.y, forwardY[n - 1]);
        EXPECT_EQ(d[Knob + n - 1].position.x, 194 + 50 * (n - 1));
        EXPECT_EQ(d[Knob + n - 1].position.y, knobY[n - 1]);
        EXPECT_EQ(d[StartIcon + n - 1].position.x, startX[n - 1]);
        EXPECT_EQ(d[StartIcon + n - 1].position.y, 377);
        EXPECT_EQ(d[StartIcon + n - 1].image, 0);
        EXPECT_FALSE(d[StartIcon + n - 1].hidden);
    }

    // Each engine's lever pictures follow its own variable: forward thrust,
    // idle, just above -1, exactly -1 and reverse.
    struct Case {
        double lever;
        bool reverse_shown, forward_shown;
        double reverse_offset, forward_offset, knob_offset;
    };
    const Case cases[] = {
        {5000.0, false, true, 0, -80.0, -80.0},  {0.0, false, true, 0, 0.0, 0.0},
        {-0.5, false, true, 0, 0.008, 0.0},      {-1.0, false, false, 0, 0.016, 0.0},
        {-2000.0, true, false, 12.8, 32.0, 0.0},
    };
    for (const Case& c : cases) {
        for (int n = 1; n <= 4; ++n) host.setVar(thrustLever(n), n == 3 ? c.lever : 8000.0);
        host.frame();
        const auto& s = g->drawState();
        SCOPED_TRACE(c.lever);
        EXPECT_EQ(!s[Reverse + 2].hidden, c.reverse_shown);
        EXPECT_EQ(!s[Forward + 2].hidden, c.forward_shown);
        if (c.reverse_shown) {
            EXPECT_DOUBLE_EQ(s[Reverse + 2].offset_y, c.reverse_offset);
        }
        EXPECT_DOUBLE_EQ(s[Forward + 2].value_y, c.lever);
        EXPECT_DOUBLE_EQ(s[Forward + 2].offset_y, c.forward_offset);
        EXPECT_DOUBLE_EQ(s[Knob + 2].offset_y, c.knob_offset);
        EXPECT_FALSE(s[Knob + 2].hidden);
        // The other engines stay in forward thrust.
        for (int n : {1, 2, 4}) {
            EXPECT_TRUE(s[Reverse + n - 1].hidden) << n;
            EXPECT_FALSE(s[Forward + n - 1].hidden) << n;
            EXPECT_DOUBLE_EQ(s[Knob + n - 1].offset_y, -128.0) << n;
        }
    }
    // Back in forward thrust both pictures are as before: the callbacks clear
    // the flags they set.
    host.setVar(thrustLever(3), 100.0);
    host.frame();
    EXPECT_TRUE(g->drawState()[Reverse + 2].hidden);
    EXPECT_FALSE(g->drawState()[Forward + 2].hidden);
    EXPECT_TRUE(g->drawState()[Cover].hidden);

    // A start lever's picture shows its position.
    click(*g, StartLeverAt[1]);
    host.frame();
    EXPECT_EQ(g->drawState()[StartIcon + 1].image, 1);
    EXPECT_EQ(g->drawState()[StartIcon].image, 0);
    click(*g, StartLeverAt[1]);
    host.frame();
    EXPECT_EQ(g->drawState()[StartIcon + 1].image, 0);
}

TEST(ThrottleQuad, FlapAndSpeedBrakeAreasSendTheirEvents) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
    host.frame();
    host.clearLogs();

    // The first and last detents are the host's own events; those between are
    // the module's, by value.
    click(*g, FlapFirst);
    click(*g, FlapDetents[0]);
    EXPECT_EQ(g->lastMouseResult(), 0);
    click(*g, FlapDetents[1]);
    click(*g, FlapDetents[2]);
    click(*g, FlapDetents[3]);
    click(*g, FlapLast);
    EXPECT_EQ(host.events(), (Events{byHost(65595), sent(65698, 3275), sent(65698, 6551),
                                     sent(65698, 9827), sent(65698, 13103), byHost(65603)}));
    // Between the detents' boxes there is nothing to press, and a flap detent
    // does not follow a drag.
    EXPECT_FALSE(g->press(555, 100));
    EXPECT_FALSE(g->press(596, 50));
    host.clearLogs();
    ASSERT_TRUE(g->press(FlapDetents[0].x, FlapDetents[0].y));
    g->drag(FlapDetents[0].x, FlapDetents[0].y + 5);
    g->release();
    EXPECT_EQ(host.events(), (Events{sent(65698, 3275)}));

    // The speed brake's upper zone sends two events, in this order.
    host.clearLogs();
    click(*g, BrakeUpper);
    EXPECT_EQ(host.events(), (Events{sent(66067), sent(66065)}));
    EXPECT_EQ(g->lastMouseResult(), 0);
    host.clearLogs();
    click(*g, BrakeMiddle);
    click(*g, BrakeOverlap);  // the middle zone comes first in the list
    click(*g, BrakeLower);
    EXPECT_EQ(host.events(), (Events{sent(66066), sent(66066), sent(65786, 16383)}));
    EXPECT_FALSE(g->press(82, 120));
    EXPECT_FALSE(g->press(100, 98));

    // The zones fire again while dragged.
    host.clearLogs();
    ASSERT_TRUE(g->press(BrakeUpper.x, BrakeUpper.y));
    g->drag(BrakeUpper.x, 300);
    g->release();
    EXPECT_EQ(host.events(), (Events{sent(66067), sent(66065), sent(66067), sent(66065)}));
    host.clearLogs();
    ASSERT_TRUE(g->press(BrakeMiddle.x, BrakeMiddle.y));
    g->drag(BrakeMiddle.x, 0);
    g->release();
    ASSERT_TRUE(g->press(BrakeLower.x, BrakeLower.y));
    g->drag(0, 0);
    g->release();
    EXPECT_EQ(host.events(),
              (Events{sent(66066), sent(66066), sent(65786, 16383), sent(65786, 16383)}));

    // A start lever takes a click, not a drag: dragged, it stays where it went.
    ASSERT_TRUE(g->press(StartLeverAt[0].x, StartLeverAt[0].y));
    g->drag(StartLeverAt[0].x, StartLeverAt[0].y + 1);
    g->release();
    host.frame();
    EXPECT_EQ(g->drawState()[StartIcon].image, 1);
}

TEST(ThrottleQuad, ThrustLeversFollowThePointerOverThePedestalsHeight) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
    const int32_t h = pedestalHeight(*g);
    ASSERT_GT(h, 370);  // the lever areas lie inside the pedestal
    ASSERT_LE(h, 10000);
    host.frame();
    host.clearLogs();

    // The top of the travel is 18000 and its foot full reverse; a press sets
    // the lever as a drag does.
    for (int n = 1; n <= 4; ++n) {
        ASSERT_TRUE(g->press(ThrustLeverX[n - 1], 0));
        EXPECT_EQ(g->lastMouseResult(), 0);
        g->drag(ThrustLeverX[n - 1], h);
        g->drag(ThrustLeverX[n - 1], h / 2);
        g->release();
        EXPECT_EQ(host.events(),
                  (Events{sent(thrustEvent(n), 18000), sent(thrustEvent(n), leverValue(-7000)),
                          sent(thrustEvent(n), leverValue(leverAt(h, h / 2)))}))
            << n;
        host.clearLogs();
    }

    // No clamp outside the travel; far points wrap in 16 bits.
    struct Case {
        int32_t y;
        int32_t position;
    };
    const Case cases[] = {
        {369, leverAt(h, 369)},  // the area's last row
        {-1, leverAt(h, -1)},    // above the top: beyond 18000
        {h + 1, leverAt(h, h + 1)},
        {-h, -22536},        // 43000 in 16 bits
        {-2 * h, 2464},      // 68000 in 16 bits
        {h - 65536, -7000},  // the depth itself wraps to 0
        {h + 65536, -7000},
    };
    ASSERT_TRUE(g->press(ThrustLeverX[1], 100));
    for (const Case& c : cases) {
        host.clearLogs();
        g->drag(ThrustLeverX[1] + 500, c.y);  // the pointer may leave the area sideways too
        EXPECT_EQ(host.events(), (Events{sent(thrustEvent(2), leverValue(c.position))})) << c.y;
    }
    g->release();
    EXPECT_GT(leverAt(h, -1), 18000);
    EXPECT_LT(leverAt(h, h + 1), -7000);
    EXPECT_EQ(leverAt(h, 0), 18000);

    // Between the thrust and start levers there is nothing to press.
    EXPECT_FALSE(g->press(ThrustLeverX[0], 371));
    EXPECT_FALSE(g->press(240, 100));
}

TEST(ThrottleQuad, ThrustLeverTravelIsTheHeightTheHostWrote) {
    // Another pedestal size changes the travel: the gauge measures, it does not
    // assume.
    {
        tw::Host host;
        host.bitmapSizes().set(9360, 640, 400);
        tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
        EXPECT_EQ(pedestalHeight(*g), 400);
        host.clearLogs();
        ASSERT_TRUE(g->press(ThrustLeverX[3], 200));
        g->drag(ThrustLeverX[3], 400);
        g->drag(ThrustLeverX[3], 16);  // 384 * 25000 / 400 = 24000
        g->release();
        EXPECT_EQ(host.events(),
                  (Events{sent(thrustEvent(4), 5500), sent(thrustEvent(4), leverValue(-7000)),
                          sent(thrustEvent(4), 17000)}));
    }
    // A pedestal of no known size gives the lever no travel: nothing is sent.
    tw::Host host;
    host.bitmapSizes().forget(9360);
    tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
    EXPECT_EQ(pedestalHeight(*g), 0);
    host.clearLogs();
    ASSERT_TRUE(g->press(ThrustLeverX[0], 10));
    g->drag(ThrustLeverX[0], 200);
    g->release();
    EXPECT_TRUE(host.events().empty());
}

TEST(ThrottleQuad, InitialisationCutsFuelOfStoppedEnginesThenSendsTheGroundEvent) {
    {
        tw::Host host;
        host.setVar(engineRunning(1), 1.0);
        host.setVar(engineRunning(2), 0.0);
        host.setVar(engineRunning(3), 0.5);  // only exactly 0 counts as stopped
        host.setVar(StartRule, 1.0);
        host.setVar(OnGround, 1.0);
        host.createGauge("THROTTLE_QUAD");
        EXPECT_EQ(host.events(), (Events{sent(cutoffEvent(2)), sent(cutoffEvent(4)), sent(66064)}));
    }
    {
        tw::Host host;  // every engine stopped, not on the ground
        host.setVar(StartRule, 1.0);
        host.setVar(OnGround, 0.999);
        host.createGauge("THROTTLE_QUAD");
        EXPECT_EQ(host.events(), (Events{sent(cutoffEvent(1)), sent(cutoffEvent(2)),
                                         sent(cutoffEvent(3)), sent(cutoffEvent(4))}));
    }
    tw::Host host;  // every engine running, on the ground, 324 not at 1.0
    for (int n = 1; n <= 4; ++n) host.setVar(engineRunning(n), 1.0);
    host.setVar(StartRule, 2.0);
    host.setVar(OnGround, 1.0);
    host.createGauge("THROTTLE_QUAD");
    EXPECT_TRUE(host.events().empty());
    host.setVar(StartRule, 1.0);
    host.createGauge("THROTTLE_QUAD");  // a second copy initialises again
    EXPECT_EQ(host.events(), (Events{sent(66064)}));
}

// ---- The module's own state, where a test can reach it ------------------------

namespace {

template <typename T>
T* engines(tw::Host& host, const char* name) {
    return &moduleVar<T>(host, name);
}

}  // namespace

TEST(ThrottleQuad, InitialisationOpensLeversTheHostHasOpenAndClosesOnlyTheFirst) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    auto* open = engines<uint32_t>(host, "StartLeverOpen");
    auto** root = engines<ELEMENT_HEADER*>(host, "QuadrantRootElement");
    EXPECT_EQ(root[0], nullptr);
    EXPECT_EQ(root[1], nullptr);

    for (int n = 0; n < 4; ++n) open[n] = 1;
    host.setVar(startLever(2), 12000.0);  // not above
    tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
    EXPECT_EQ(open[0], 0u);
    EXPECT_EQ(open[1], 1u);
    EXPECT_EQ(open[2], 1u);
    EXPECT_EQ(open[3], 1u);
    EXPECT_EQ(root[0], g->header()->elements_list[0]);
    EXPECT_EQ(root[1], g->header()->elements_list[0]);
    EXPECT_EQ(root[1]->resource_id, 9360u);

    for (int n = 0; n < 4; ++n) open[n] = 0;
    host.setVar(startLever(1), 12000.5);
    host.setVar(startLever(2), 12000.0);
    host.setVar(startLever(3), 30000.0);
    host.createGauge("THROTTLE_QUAD");
    EXPECT_EQ(open[0], 1u);  // closed, then opened from the host's lever
    EXPECT_EQ(open[1], 0u);
    EXPECT_EQ(open[2], 1u);
    EXPECT_EQ(open[3], 0u);

    // Without the root element the thrust levers do nothing.
    root[1] = nullptr;
    host.clearLogs();
    ASSERT_TRUE(g->press(ThrustLeverX[0], 10));
    g->release();
    EXPECT_TRUE(host.events().empty());
}

TEST(ThrottleQuad, ClosingAStartLeverCutsFuelAndEndsTheStart) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
    auto* open = engines<uint32_t>(host, "StartLeverOpen");
    auto* start_tick = engines<int32_t>(host, "FuelLeverStartTick");
    auto* fuel_time = engines<double>(host, "FuelLeverTime");
    auto* engaged = engines<uint32_t>(host, "StarterEngaged");
    auto* seconds = engines<double>(host, "StarterSeconds");
    auto* starter_switch = engines<uint8_t>(host, "StarterSwitch");
    auto* light_off = engines<uint32_t>(host, "LightOffActive");
    moduleVar<uint32_t>(host, "PowerAvailable") = 1;
    host.setVar(TickCounter, 700.9);

    for (int n = 1; n <= 4; ++n) {
        const int i = n - 1;
        click(*g, StartLeverAt[i]);
        EXPECT_EQ(open[i], 1u);
        EXPECT_EQ(start_tick[i], 700);  // truncated
        engaged[i] = 1;
        seconds[i] = 20.0;
        starter_switch[i] = 2;
        fuel_time[i] = 10.0;
        light_off[i] = 1;
        host.clearLogs();
        click(*g, StartLeverAt[i]);
        EXPECT_EQ(host.events(), (Events{sent(cutoffEvent(n))})) << n;
        EXPECT_EQ(open[i], 0u);
        EXPECT_EQ(start_tick[i], 0);
        EXPECT_EQ(fuel_time[i], 0.0);
        EXPECT_EQ(engaged[i], 0u);
        EXPECT_EQ(seconds[i], 0.0);
        EXPECT_EQ(starter_switch[i], 0u);
        EXPECT_EQ(light_off[i], 1u);  // the engine instruments clear it
        EXPECT_EQ(g->lastMouseResult(), 0);
    }
    // Opening sends nothing.
    host.clearLogs();
    click(*g, StartLeverAt[2]);
    EXPECT_TRUE(host.events().empty());
}

TEST(ThrottleQuad, FuelTimeCountsFromTheOpeningOnceTheStarterHasRun14Seconds) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    tw::Gauge* g = host.createGauge("THROTTLE_QUAD");
    auto* start_tick = engines<int32_t>(host, "FuelLeverStartTick");
    auto* fuel_time = engines<double>(host, "FuelLeverTime");
    auto* seconds = engines<double>(host, "StarterSeconds");
    auto* light_off = engines<uint32_t>(host, "LightOffActive");
    uint32_t& power = moduleVar<uint32_t>(host, "PowerAvailable");

    // Engine 2 opened with power at tick 1000.
    power = 1;
    host.setVar(TickCounter, 1000.0);
    click(*g, StartLeverAt[1]);
    EXPECT_EQ(start_tick[1], 1000);
    // Engine 3 opened without power: its tick stays 0.
    power = 0;
    host.setVar(TickCounter, 1200.0);
    click(*g, StartLeverAt[2]);
    EXPECT_EQ(start_tick[2], 0);

    // Not yet 14 s on the starter: no fuel time.
    power = 1;
    seconds[1] = 14.0;
    seconds[2] = 14.0;
    host.setVar(TickCounter, 1090.0);
    host.frame();
    EXPECT_EQ(fuel_time[1], 0.0);
    EXPECT_EQ(fuel_time[2], 0.0);

    seconds[1] = 14.5;
    seconds[2] = 14.5;
    host.clearLogs();
    host.frame();
    EXPECT_DOUBLE_EQ(fuel_time[1], 10.0);
    EXPECT_DOUBLE_EQ(fuel_time[2], 1090.0 / 9.0);  // from tick 0
    // Engine 3's time already passed 38: fuel goes in; engine 2's has not.
    EXPECT_EQ(host.events(), (Events{sent(fuelOnEvent(3))}));
    EXPECT_EQ(light_off[2], 1u);
    EXPECT_EQ(light_off[1], 0u);

    // 38 exactly is not past it; a tick later it is, and fuel goes in on every
    // update from then on.
    host.setVar(TickCounter, 1342.0);
    host.clearLogs();
    host.frame();
    EXPECT_DOUBLE_EQ(fuel_time[1], 38.0);
    EXPECT_EQ(host.events(), (Events{sent(fuelOnEvent(3))}));
    host.setVar(TickCounter, 1343.0);
    host.clearLogs();
    host.frames(2);
    EXPECT_EQ(host.events(), (Events{sent(fuelOnEvent(2)), sent(fuelOnEvent(3)),
                                     sent(fuelOnEvent(2)), sent(fuelOnEvent(3))}));
    EXPECT_EQ(light_off[1], 1u);

    // Without power the time stands still, but fuel keeps going in.
    power = 0;
    host.setVar(TickCounter, 2000.0);
    host.clearLogs();
    host.frame();
    EXPECT_DOUBLE_EQ(fuel_time[1], 343.0 / 9.0);
    EXPECT_EQ(host.events(), (Events{sent(fuelOnEvent(2)), sent(fuelOnEvent(3))}));

    // A closed lever neither counts nor fuels.
    power = 1;
    click(*g, StartLeverAt[2]);
    host.clearLogs();
    host.frame();
    EXPECT_EQ(fuel_time[2], 0.0);
    EXPECT_DOUBLE_EQ(fuel_time[1], 1000.0 / 9.0);
    EXPECT_EQ(host.events(), (Events{sent(fuelOnEvent(2))}));
}

#if !defined(_WIN32)

namespace {

// FLOOD_SW connected first, so that the sounds load and the systems tick runs.
struct Cockpit {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::Gauge* quadrant = nullptr;
    Cockpit() {
        twtest::writeCockpitSounds(dir);
        host.createGauge("FLOOD_SW");
        quadrant = host.createGauge("THROTTLE_QUAD");
    }
    unsigned spoolUps() { return twtest::soundInfo(host, "sndHghbSpup").playCalls; }
};

}  // namespace

TEST(ThrottleQuad, SpoolUpSoundsOnlyWhenOpenedAfter15SecondsOfAnEngagedStarter) {
    Cockpit c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    auto* engaged = engines<uint32_t>(c.host, "StarterEngaged");
    auto* seconds = engines<double>(c.host, "StarterSeconds");
    auto* start_tick = engines<int32_t>(c.host, "FuelLeverStartTick");
    uint32_t& power = moduleVar<uint32_t>(c.host, "PowerAvailable");
    ASSERT_EQ(c.spoolUps(), 0u);
    c.host.setVar(TickCounter, 321.0);

    struct Case {
        uint32_t power, engaged;
        double seconds;
        unsigned plays;
    };
    const Case cases[] = {
        {1, 1, 15.0, 0},   // not past 15 s
        {1, 1, 15.01, 1},  // past it
        {1, 0, 20.0, 0},   // the starter not engaged
        {0, 1, 20.0, 0},   // no power: silent, and no tick
        {1, 1, 22.0, 1},
    };
    unsigned plays = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.seconds);
        power = k.power;
        engaged[3] = k.engaged;
        seconds[3] = k.seconds;
        click(*c.quadrant, StartLeverAt[3]);
        plays += k.plays;
        EXPECT_EQ(c.spoolUps(), plays);
        EXPECT_EQ(start_tick[3], k.power == 1 ? 321 : 0);
        click(*c.quadrant, StartLeverAt[3]);  // closing is silent
        EXPECT_EQ(c.spoolUps(), plays);
    }
    EXPECT_FALSE(twtest::soundInfo(c.host, "sndHghbSpup").looping);
}

TEST(ThrottleQuad, AnEngineStartFromTheSystemsTickToLightOff) {
    Cockpit c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    auto* engaged = engines<uint32_t>(c.host, "StarterEngaged");
    auto* seconds = engines<double>(c.host, "StarterSeconds");
    auto* fuel_time = engines<double>(c.host, "FuelLeverTime");
    auto* light_off = engines<uint32_t>(c.host, "LightOffActive");
    const uint32_t& power = moduleVar<uint32_t>(c.host, "PowerAvailable");

    // Power from the further source, through the tick; engine 2 on its starter.
    c.host.setVar(FurtherPower, 1.0);
    c.host.runFor(55);
    ASSERT_EQ(power, 1u);
    engaged[1] = 1;
    seconds[1] = 16.0;
    c.host.setVar(TickCounter, 5000.0);
    click(*c.quadrant, StartLeverAt[1]);
    EXPECT_EQ(c.spoolUps(), 1u);

    // 18 counts a second: two seconds later the fuel time is 4.
    c.host.setVar(TickCounter, 5036.0);
    c.host.clearLogs();
    c.host.frame();
    EXPECT_DOUBLE_EQ(fuel_time[1], 4.0);
    EXPECT_TRUE(c.host.events().empty());
    c.host.setVar(TickCounter, 5000.0 + 9 * 38 + 1);
    c.host.frame();
    EXPECT_EQ(c.host.events(), (Events{sent(fuelOnEvent(2))}));
    EXPECT_EQ(light_off[1], 1u);

    // The host reports the engine running: the quadrant reads the tick's record,
    // so fuel goes in until the next tick has refreshed it.
    c.host.setVar(engineRunning(2), 1.0);
    c.host.clearLogs();
    c.host.frame();
    EXPECT_EQ(c.host.events(), (Events{sent(fuelOnEvent(2))}));
    c.host.runFor(55);
    c.host.clearLogs();
    c.host.frames(3);
    EXPECT_TRUE(c.host.events().empty());

    // The engine stops again: on the next tick fuel goes in once more.
    c.host.setVar(engineRunning(2), 0.0);
    c.host.runFor(55);
    c.host.clearLogs();
    c.host.frame();
    EXPECT_EQ(c.host.events(), (Events{sent(fuelOnEvent(2))}));

    // Closing the lever cuts the fuel and ends the start.
    c.host.clearLogs();
    click(*c.quadrant, StartLeverAt[1]);
    c.host.frame();
    EXPECT_EQ(c.host.events(), (Events{sent(cutoffEvent(2))}));
    EXPECT_EQ(engaged[1], 0u);
    EXPECT_EQ(seconds[1], 0.0);
    EXPECT_EQ(fuel_time[1], 0.0);
}

#endif  // !_WIN32

}  // namespace throttle_quad_test
