// ADI on the bundled host: the horizon and bank ring sprites, the steering bar,
// the glideslope pointer, the four flags with and without power, the tooltip.

#include <gtest/gtest.h>

#include "host/host.h"

namespace adi_test {

namespace {

constexpr uint32_t GlideslopeVar = 41, FlagInput = 43, FlagSource = 44, Pitch = 77, PitchTip = 78,
                   Bank = 79, BankTip = 80, Heading = 81, Bug = 107, NavFlag = 276,
                   FurtherPower = 364;

// The draw state, bottom to top.
constexpr size_t Horizon = 1, BankRing = 2, Steering = 3, Glideslope = 4, PowerFlag = 5,
                 NavFlagIcon = 6, InputFlag = 7, SourceFlag = 8;

std::vector<int32_t> flags(const tw::Gauge& g) {
    std::vector<int32_t> out;
    for (size_t i = PowerFlag; i <= SourceFlag; ++i) out.push_back(g.drawState()[i].image);
    return out;
}

}  // namespace

TEST(Adi, SpritesFollowPitchAndBankAndThePitchStopsAt89) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ADI");
    ASSERT_NE(g, nullptr);
    host.setVar(Pitch, 10);
    host.setVar(Bank, 30);
    host.setVar(GlideslopeVar, 30);
    host.frame();
    const auto& d = g->drawState();
    ASSERT_EQ(d.size(), 9u);
    EXPECT_DOUBLE_EQ(d[Horizon].offset_y, 25.0);
    EXPECT_EQ(d[Horizon].offset_x, 0.0);
    EXPECT_DOUBLE_EQ(d[Horizon].rotation, -30.0);
    EXPECT_EQ(d[Horizon].texture_scale_x, 0.9);
    EXPECT_DOUBLE_EQ(d[BankRing].rotation, -30.0);
    EXPECT_EQ(d[BankRing].offset_y, 0.0);
    EXPECT_EQ(d[BankRing].texture_center.x, 115);
    EXPECT_DOUBLE_EQ(d[Glideslope].offset_y, 30 * 0.3334);

    host.setVar(Pitch, 120);
    host.setVar(Bank, 359);
    host.frame();
    EXPECT_DOUBLE_EQ(g->drawState()[Horizon].offset_y, 89 * 2.5);
    EXPECT_DOUBLE_EQ(g->drawState()[BankRing].rotation, -359.0);
    host.setVar(Pitch, -89.5);
    host.frame();
    EXPECT_DOUBLE_EQ(g->drawState()[Horizon].offset_y, -89 * 2.5);

    // The tooltip shows its own tokens, the pitch negated.
    host.setVar(BankTip, 15.7);
    host.setVar(PitchTip, 5);
    EXPECT_EQ(g->tooltipAt(100, 100), "Attitude Indicator (Bank 15\xB0, Pitch -5\xB0)");
    EXPECT_EQ(g->mouseAreas().helpIdAt(100, 100), 43789u);
    EXPECT_FALSE(g->press(100, 100));
}

TEST(Adi, SteeringBarIsTheBankLessTheLimitedHeadingError) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ADI");
    struct Case {
        double bank, heading, bug, value;
    };
    const Case cases[] = {
        {200, 350, 10, -159 + 20},  // bank folds against 359; the error wraps to -20
        {10, 10, 100, 10 + 24},     // -90 is limited to -24
        {179.9, 100, 10, 179 - 24}, {180, 0, 190, -179 - 24},  // -190 wraps to 170, limited to 24
        {0, 5.9, 2.1, -3},
    };
    for (const Case& c : cases) {
        host.setVar(Bank, c.bank);
        host.setVar(Heading, c.heading);
        host.setVar(Bug, c.bug);
        host.frame();
        EXPECT_EQ(g->drawState()[Steering].value, c.value) << c.bank << " " << c.heading;
    }
}

TEST(Adi, FlagsDropWithoutPowerWhateverTheirInputs) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ADI");
    host.frame();
    EXPECT_EQ(flags(*g), (std::vector<int32_t>{0, 0, 0, 0}));
    host.setVar(FlagInput, 0.5);
    host.setVar(NavFlag, 2);
    host.frame();
    EXPECT_EQ(flags(*g), (std::vector<int32_t>{0, 0, 0, 0}));

#if !defined(_WIN32)
    // Power from the host's further source, through a systems tick.
    host.createGauge("FLOOD_SW");
    host.setVar(FurtherPower, 1.0);
    host.runTicks(1);
    EXPECT_EQ(flags(*g), (std::vector<int32_t>{-1, -1, -1, -1}));
    EXPECT_TRUE(g->drawState()[PowerFlag].hidden);
    // Exactly 1.0 drops a flag with an input; the fourth flag's source does not.
    host.setVar(NavFlag, 1);
    host.setVar(FlagSource, 1);
    host.frame();
    EXPECT_EQ(flags(*g), (std::vector<int32_t>{-1, 0, -1, -1}));
    host.setVar(FlagInput, 1);
    host.setVar(NavFlag, 0.999);
    host.frame();
    EXPECT_EQ(flags(*g), (std::vector<int32_t>{-1, -1, 0, -1}));
    host.setVar(FurtherPower, 0.0);
    host.runTicks(1);
    EXPECT_EQ(flags(*g), (std::vector<int32_t>{0, 0, 0, 0}));
#endif
}

}  // namespace adi_test
