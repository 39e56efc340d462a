#include "framework/truncate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace truncate_test {

TEST(TruncToInt, TruncatesTowardZeroAndGivesTheIndefiniteValueOutsideTheRange) {
    EXPECT_EQ(truncToInt(0.0), 0);
    EXPECT_EQ(truncToInt(-0.0), 0);
    EXPECT_EQ(truncToInt(2.9), 2);
    EXPECT_EQ(truncToInt(-2.9), -2);
    EXPECT_EQ(truncToInt(-0.5), 0);
    EXPECT_EQ(truncToInt(2147483647.0), 2147483647);
    EXPECT_EQ(truncToInt(2147483647.9), 2147483647);
    EXPECT_EQ(truncToInt(-2147483648.0), INT32_MIN);
    EXPECT_EQ(truncToInt(-2147483648.9), INT32_MIN);

    const int32_t indefinite = static_cast<int32_t>(0x80000000u);
    EXPECT_EQ(truncToInt(2147483648.0), indefinite);
    EXPECT_EQ(truncToInt(-2147483649.0), indefinite);
    EXPECT_EQ(truncToInt(1e300), indefinite);
    EXPECT_EQ(truncToInt(-1e300), indefinite);
    EXPECT_EQ(truncToInt(std::numeric_limits<double>::infinity()), indefinite);
    EXPECT_EQ(truncToInt(-std::numeric_limits<double>::infinity()), indefinite);
    EXPECT_EQ(truncToInt(std::numeric_limits<double>::quiet_NaN()), indefinite);
    EXPECT_EQ(truncToInt(-std::numeric_limits<double>::quiet_NaN()), indefinite);
}

}  // namespace truncate_test
