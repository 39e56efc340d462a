#include "host/message_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace message_format_test {

using tw::formatMessage;
using tw::MessageArg;

TEST(MessageFormat, FormatsThePlaceholdersTheTooltipsUse) {
    EXPECT_EQ(formatMessage("Airspeed Indicator (%1!d! %2!s!)", {{250.9}, {0, "knots"}}),
              "Airspeed Indicator (250 knots)");
    EXPECT_EQ(formatMessage("Engine 1 EPR (%1!.2f!)", {{1.4567}}), "Engine 1 EPR (1.46)");
    EXPECT_EQ(formatMessage("Machmeter (%1!.3f! Mach)", {{0.0}}), "Machmeter (0.000 Mach)");
    EXPECT_EQ(formatMessage("Engine 1 Fan RPM (%1!.1f!%%)", {{95.25}}), "Engine 1 Fan RPM (95.2%)");
    EXPECT_EQ(formatMessage("Clock (%1!.2d!:%2!.2d!:%3!.2d!)", {{7}, {5.9}, {0}}),
              "Clock (07:05:00)");
    // Arguments may come in any order and more than once.
    EXPECT_EQ(formatMessage("%2!d!/%1!d!/%2!d!", {{1}, {2}}), "2/1/2");
    // Negative numbers truncate toward zero for integer conversions.
    EXPECT_EQ(formatMessage("%1!d! %1!+d! %1!5d!|", {{-3.7}}), "-3 -3    -3|");
    // The degree sign is a single Latin-1 byte and passes through unchanged.
    EXPECT_EQ(formatMessage("TAT (%1!d!\xB0"
                            "C)",
                            {{-12}}),
              "TAT (-12\xB0"
              "C)");
    // A placeholder without a format reads as a string.
    EXPECT_EQ(formatMessage("%1 ok", {{0, "fine"}}), "fine ok");
    EXPECT_EQ(formatMessage("No arguments", {}), "No arguments");
}

TEST(MessageFormat, OddInputGivesADefinedShortResult) {
    // Escapes: "%%", "%." and "%!" stand for the character; "%n" is a line break;
    // "%0" ends the message.
    EXPECT_EQ(formatMessage("100%% %. %! a%nb", {}), "100% . ! a\r\nb");
    EXPECT_EQ(formatMessage("cut%0 here", {}), "cut");
    EXPECT_EQ(formatMessage("trailing %", {}), "trailing %");
    // Missing arguments, unknown conversions and unclosed specs stay as written.
    EXPECT_EQ(formatMessage("(%3!d!)", {{1}}), "(%3!d!)");
    EXPECT_EQ(formatMessage("(%1!q!)", {{1}}), "(%1!q!)");
    EXPECT_EQ(formatMessage("(%1!n!)", {{1}}), "(%1!n!)");
    EXPECT_EQ(formatMessage("(%1!.2f", {{1}}), "(%1!.2f");
    EXPECT_EQ(formatMessage("(%1!*d!)", {{1}}), "(%1!*d!)");
    // Widths that would make a huge field are refused rather than honoured.
    EXPECT_EQ(formatMessage("%1!999999d!", {{1}}), "%1!999999d!");
    EXPECT_EQ(formatMessage("%1!99d!", {{1}}).size(), 99u);
    // A null string reads as empty; values beyond int or NaN do not misbehave.
    EXPECT_EQ(formatMessage("[%1!s!]", {{0, nullptr}}), "[]");
    EXPECT_EQ(formatMessage("%1!d!", {{std::numeric_limits<double>::quiet_NaN()}}), "-2147483648");
    EXPECT_EQ(formatMessage("%1!d!", {{1e300}}), "-2147483648");
    EXPECT_EQ(formatMessage("%1!.1f!", {{std::numeric_limits<double>::infinity()}}), "inf");
    EXPECT_LT(formatMessage("%1!.2f!", {{1e300}}).size(), 400u);
}

}  // namespace message_format_test
