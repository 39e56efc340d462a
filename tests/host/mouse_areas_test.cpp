#include "host/mouse_areas.h"

#include <gtest/gtest.h>

#include "framework/gauge.h"

namespace mouse_areas_test {

namespace {

int32_t HOSTAPI noAction(PIXPOINT*, uint32_t) { return 0; }

}  // namespace

TEST(MouseAreas, CursorIsTheChildsAndHelpIdTheInnermostParentsThatHasOne) {
    const MOUSE_RECT list[] = {
        mouseParent(0, 0, 0, 0),
        mouseParent(10, 10, 100, 100, 500),
        mouseChild(5, 5, 10, 10, 2, MouseLeftPress, noAction),
        mouseParent(50, 50, 20, 20),
        mouseChild(0, 0, 5, 5, 1, MouseLeftPress, noAction),
        mouseEndParent(),
        mouseParent(80, 80, 10, 10, 700),
        mouseEndParent(),
        mouseEndParent(),
        mouseChildEvent(200, 200, 10, 10, 5, MouseLeftPress, 66000),
        mouseEndParent(),
        mouseEnd(),
    };
    tw::MouseAreas areas(list);

    EXPECT_EQ(areas.cursorAt(15, 15), 2);
    EXPECT_EQ(areas.cursorAt(24, 24), 2);
    EXPECT_EQ(areas.cursorAt(25, 25), -1);
    EXPECT_EQ(areas.cursorAt(60, 60), 1);  // relative to its own parent
    EXPECT_EQ(areas.cursorAt(65, 60), -1);
    EXPECT_EQ(areas.cursorAt(205, 205), 5);
    EXPECT_EQ(areas.cursorAt(0, 0), -1);

    EXPECT_EQ(areas.helpIdAt(10, 10), 500u);
    EXPECT_EQ(areas.helpIdAt(109, 109), 500u);
    EXPECT_EQ(areas.helpIdAt(110, 50), 0u);
    EXPECT_EQ(areas.helpIdAt(9, 50), 0u);
    EXPECT_EQ(areas.helpIdAt(60, 60), 500u);  // the inner parent has none of its own
    EXPECT_EQ(areas.helpIdAt(90, 90), 700u);
    EXPECT_EQ(areas.helpIdAt(100, 100), 500u);
    EXPECT_EQ(areas.helpIdAt(205, 205), 0u);

    EXPECT_EQ(tw::MouseAreas(nullptr).cursorAt(0, 0), -1);
    EXPECT_EQ(tw::MouseAreas(nullptr).helpIdAt(0, 0), 0u);
}

}  // namespace mouse_areas_test
