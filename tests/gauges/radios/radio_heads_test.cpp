// ADF, ADF2, NAV1, NAV2, COM1 on the bundled host: the packed-decimal digits
// and the second ADF's calculator frequency on the drums, and the host's
// events on the areas.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"

namespace radio_heads_test {

namespace {

constexpr uint32_t AdfFrequency = 16, AdfOuter = 18, Com1 = 23, Nav1 = 24, Nav2 = 27;
constexpr const char* Adf2Frequency = "(A:ADF ACTIVE FREQUENCY:2, KHz)";

// The digits the five drums show, left to right.
std::vector<double> digits(const tw::Gauge& g) {
    std::vector<double> out;
    for (const auto& s : g.drawState()) {
        if (s.type != ElementMovingImage) continue;
        EXPECT_EQ(s.value_x, 1.0);
        out.push_back(s.value_y);
    }
    return out;
}

using Digits = std::vector<double>;

}  // namespace

TEST(RadioHeads, DrumsShowThePackedDecimalDigits) {
    tw::Host host;
    tw::Gauge* adf = host.createGauge("ADF");
    tw::Gauge* nav1 = host.createGauge("NAV1");
    tw::Gauge* nav2 = host.createGauge("NAV2");
    tw::Gauge* com1 = host.createGauge("COM1");
    ASSERT_TRUE(adf && nav1 && nav2 && com1);
    host.setVar(AdfFrequency, 0x0345);
    host.setVar(AdfOuter, 0x0105);
    host.setVar(Nav1, 0x1030);
    host.setVar(Nav2, 0x1795);
    host.setVar(Com1, 0x2685);
    host.frame();
    EXPECT_EQ(digits(*adf), (Digits{1, 3, 4, 5, 5}));
    EXPECT_EQ(digits(*nav1), (Digits{1, 1, 0, 3, 0}));
    EXPECT_EQ(digits(*nav2), (Digits{1, 1, 7, 9, 5}));
    EXPECT_EQ(digits(*com1), (Digits{1, 2, 6, 8, 5}));
    EXPECT_EQ(host.lookups(AdfFrequency), 5u);  // once for each drum

    // Groups above 9 show their last decimal digit; the ADF's thousands drum
    // has pictures up to 5 only and stays there.
    host.setVar(Nav1, 0xCDEF);
    host.setVar(AdfFrequency, 0x0A9B);
    host.setVar(AdfOuter, 0x090F);
    host.frame();
    EXPECT_EQ(digits(*nav1), (Digits{1, 2, 3, 4, 5}));
    EXPECT_EQ(digits(*adf), (Digits{5, 0, 9, 1, 5}));
    host.setVar(AdfOuter, 0x0C00);
    host.frame();
    EXPECT_EQ(digits(*adf)[0], 2);
    // Bits above the groups a drum shows are not its business.
    host.setVar(Com1, 0x71234);
    host.frame();
    EXPECT_EQ(digits(*com1), (Digits{1, 1, 2, 3, 4}));
}

TEST(RadioHeads, SecondAdfShowsTheCalculatorsFrequency) {
    tw::Host host;
    tw::Gauge* adf2 = host.createGauge("ADF2");
    ASSERT_NE(adf2, nullptr);
    host.frame();
    EXPECT_EQ(digits(*adf2), (Digits{0, 0, 0, 0, 0}));
    host.setCalculatorResult(Adf2Frequency, 379.5);
    host.frame();
    EXPECT_EQ(digits(*adf2), (Digits{0, 3, 7, 9, 5}));
    // 1745.3 lies a hair below its decimal value: still 3 tenths on every build.
    host.setCalculatorResult(Adf2Frequency, 1745.3);
    host.frame();
    EXPECT_EQ(digits(*adf2), (Digits{1, 7, 4, 5, 3}));
    host.setCalculatorResult(Adf2Frequency, 8260.1);
    host.frame();
    EXPECT_EQ(digits(*adf2), (Digits{5, 2, 6, 0, 1}));
    // No frequency is negative: such a reading shows zeros, not negative digits.
    host.setCalculatorResult(Adf2Frequency, -379.5);
    host.frame();
    EXPECT_EQ(digits(*adf2), (Digits{0, 0, 0, 0, 0}));
    // The result starts at 0 on every call.
    host.setCalculatorResult(Adf2Frequency, 379.5);
    host.frame();
    host.forgetCalculatorResult(Adf2Frequency);
    host.frame();
    EXPECT_EQ(digits(*adf2), (Digits{0, 0, 0, 0, 0}));
}

TEST(RadioHeads, AreasCarryTheHostsEventsAndTooltips) {
    tw::Host host;
    struct Click {
        const char* head;
        int32_t x, y;
        uint32_t event;
        int32_t cursor;
    };
    const Click clicks[] = {
        {"ADF", 10, 10, 65666, 2},   {"ADF", 10, 40, 65648, 1},   {"ADF", 100, 60, 65650, 1},
        {"ADF2", 60, 5, 66549, 2},   {"ADF2", 51, 5, 66548, 2},   {"NAV1", 60, 25, 65640, 2},
        {"NAV1", 150, 10, 65643, 1}, {"NAV2", 100, 40, 65644, 2}, {"NAV2", 130, 10, 65647, 1},
        {"COM1", 60, 59, 65636, 2},  {"COM1", 110, 29, 65639, 1},
    };
    std::vector<tw::SentEvent> expected;
    for (const Click& c : clicks) {
        tw::Gauge* g = host.createGauge(c.head);
        SCOPED_TRACE(std::string(c.head) + " " + std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(g->mouseAreas().cursorAt(c.x, c.y), c.cursor);
        ASSERT_TRUE(g->press(c.x, c.y));
        g->repeat(1);
        g->release();
        EXPECT_EQ(g->lastMouseResult(), std::nullopt);
        expected.insert(expected.end(), 2, {tw::SentEvent::MouseArea, c.event, 0});
        host.destroyGauge(g);
    }
    EXPECT_EQ(host.events(), expected);

    const char* tooltips[][2] = {{"ADF", "ADF 1 Radio"},
                                 {"ADF2", "ADF 2 Radio"},
                                 {"NAV1", "Navigation Radio 1"},
                                 {"NAV2", "Navigation Radio 2"},
                                 {"COM1", "Communications Radio 1"},
                                 {"COM2", "Communications Radio 2"}};
    for (const auto& t : tooltips) EXPECT_EQ(host.createGauge(t[0])->tooltipAt(5, 5), t[1]);
}

}  // namespace radio_heads_test
