#include <gtest/gtest.h>

#include <string>

#include "host/host.h"

namespace reversers_test {

namespace {

constexpr uint32_t TickCounter = 1;
constexpr uint32_t thrustLever(int n) { return 128 + 35 * (n - 1); }
constexpr uint32_t engineSpeed(int n) { return 136 + 35 * (n - 1); }

// "", "transit" or "deployed": the lights shown after a frame at a tick.
std::string lights(tw::Host& host, const tw::Gauge& g, double tick) {
    host.setVar(TickCounter, tick);
    host.frame();
    const auto& d = g.drawState();
    EXPECT_EQ(d.size(), 3u);
    std::string on;
    if (!d[1].hidden) on += "deployed";
    if (!d[2].hidden) on += "transit";
    return on;
}

}  // namespace

TEST(Reversers, TransitLightForEachMovementThenDeployedWhileReverseStays) {
    for (int family = 0; family < 2; ++family) {
        for (int n = 1; n <= 4; ++n) {
            const std::string name = (family ? "revvelae" : "revlyrae") + std::to_string(n);
            SCOPED_TRACE(name);
            tw::Host host;
            tw::Gauge* g = host.createGauge(name);
            ASSERT_NE(g, nullptr);
            host.setVar(engineSpeed(n), 9000);
            host.setVar(thrustLever(n), 5000);
            EXPECT_EQ(lights(host, *g, 90), "");

            // Selected at tick 100: transit for 24 ticks, then deployed.
            host.setVar(thrustLever(n), -3000);
            EXPECT_EQ(lights(host, *g, 100.6), "transit");
            EXPECT_EQ(lights(host, *g, 124), "transit");
            EXPECT_EQ(lights(host, *g, 124.5), "deployed");
            // Another engine's lever changes nothing here.
            host.setVar(thrustLever(n % 4 + 1), 5000);
            EXPECT_EQ(lights(host, *g, 150), "deployed");

            // With the engine at 8000 or below nothing changes.
            host.setVar(engineSpeed(n), 8000);
            host.setVar(thrustLever(n), 5000);
            EXPECT_EQ(lights(host, *g, 160), "deployed");

            // Cancelled at 200: transit for 24 ticks, then dark.
            host.setVar(engineSpeed(n), 8000.5);
            host.setVar(thrustLever(n), -3000);
            lights(host, *g, 199);
            host.setVar(thrustLever(n), 5000);
            EXPECT_EQ(lights(host, *g, 200), "transit");
            EXPECT_EQ(lights(host, *g, 224), "transit");
            EXPECT_EQ(lights(host, *g, 225), "");
        }
    }
}

TEST(Reversers, AThrottleJustBelowZeroCountsAsANewSelectionEveryUpdate) {
    tw::Host host;
    tw::Gauge* lyrae = host.createGauge("revlyrae3");
    host.setVar(engineSpeed(3), 9000);
    host.setVar(thrustLever(3), -0.5);
    for (double tick = 0; tick < 100; tick += 10) EXPECT_EQ(lights(host, *lyrae, tick), "transit");

    // Reverse held: deployed 24 ticks after the last new selection.
    host.setVar(thrustLever(3), -2000);
    EXPECT_EQ(lights(host, *lyrae, 100), "transit");
    EXPECT_EQ(lights(host, *lyrae, 130), "deployed");

    // The other family keeps its own state: placed now, it starts its own
    // transit at its first update.
    tw::Gauge* velae = host.createGauge("revvelae3");
    EXPECT_EQ(lights(host, *velae, 140), "transit");
    EXPECT_EQ(lyrae->drawState()[1].hidden, false);
    EXPECT_EQ(lights(host, *velae, 165), "deployed");
}

}  // namespace reversers_test
