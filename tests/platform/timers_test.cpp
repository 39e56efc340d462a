#if !defined(_WIN32)

#include <vector>

#include "tests/platform/platform_test.h"

namespace timers_test {

namespace {

struct Firing {
    HWND hwnd;
    UINT msg;
    UINT_PTR id;
    DWORD tick;
    bool operator==(const Firing&) const = default;
};
std::vector<Firing> firings;

void CALLBACK recordTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) {
    firings.push_back({hwnd, msg, id, tick});
}

// Stands for a tick whose work takes longer than its period.
void CALLBACK slowTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) {
    recordTimer(hwnd, msg, id, tick);
    Sleep(100);
}

void CALLBACK selfKillingTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) {
    recordTimer(hwnd, msg, id, tick);
    KillTimer(hwnd, id);
}

LRESULT CALLBACK timerWindow(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_TIMER) firings.push_back({hwnd, msg, w, static_cast<DWORD>(l)});
    return DefWindowProcA(hwnd, msg, w, l);
}

class Timers : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        firings.clear();
        window = makeWindow("FS2KMAIN", "main", timerWindow);
        ASSERT_NE(window, nullptr);
    }
    HWND window = nullptr;
};

TEST_F(Timers, FireOnTheVirtualClockInTimeOrder) {
    EXPECT_EQ(SetTimer(window, 60, 55, recordTimer), 60u);
    EXPECT_NE(SetTimer(window, 7, 20, recordTimer), 0u);
    EXPECT_TRUE(firings.empty());

    twplat::advanceClock(54);
    EXPECT_EQ(firings, (std::vector<Firing>{{window, WM_TIMER, 7, 20}, {window, WM_TIMER, 7, 40}}));
    twplat::advanceClock(1);
    ASSERT_EQ(firings.size(), 3u);
    EXPECT_EQ(firings[2], (Firing{window, WM_TIMER, 60, 55}));
    EXPECT_EQ(twplat::now(), 55u);
    EXPECT_EQ(GetTickCount(), 55u);

    // Timers interleave by due time.
    firings.clear();
    twplat::advanceClock(65);  // to 120: 7 at 60, 80, 100, 120 and 60 at 110
    std::vector<UINT_PTR> ids;
    for (const Firing& f : firings) ids.push_back(f.id);
    EXPECT_EQ(ids, (std::vector<UINT_PTR>{7, 7, 7, 60, 7}));

    // Equal due times: the timer armed first goes first, again and again.
    KillTimer(window, 7);
    KillTimer(window, 60);
    firings.clear();
    SetTimer(window, 21, 10, recordTimer);
    SetTimer(window, 20, 10, recordTimer);
    twplat::advanceClock(20);
    ids.clear();
    for (const Firing& f : firings) ids.push_back(f.id);
    EXPECT_EQ(ids, (std::vector<UINT_PTR>{21, 20, 21, 20}));
    KillTimer(window, 20);
    KillTimer(window, 21);

    // Periods below the minimum are raised to it.
    SetTimer(window, 9, 1, recordTimer);
    EXPECT_EQ(twplat::timers().back().period, USER_TIMER_MINIMUM);

    // Without a timer procedure the window procedure gets WM_TIMER.
    KillTimer(window, 9);
    firings.clear();
    SetTimer(window, 3, 30, nullptr);
    twplat::advanceClock(30);
    EXPECT_EQ(firings, (std::vector<Firing>{{window, WM_TIMER, 3, 0}}));
}

TEST_F(Timers, LateTimerFiresOnceAndRearmsFromNow) {
    SetTimer(window, 60, 55, recordTimer);
    Sleep(200);  // sleeping dispatches nothing
    EXPECT_TRUE(firings.empty());
    EXPECT_EQ(twplat::now(), 200u);
    twplat::advanceClock(0);
    EXPECT_EQ(firings, (std::vector<Firing>{{window, WM_TIMER, 60, 200}}));
    twplat::advanceClock(54);
    EXPECT_EQ(firings.size(), 1u);
    twplat::advanceClock(1);
    ASSERT_EQ(firings.size(), 2u);
    EXPECT_EQ(firings[1].tick, 255u);

    // A procedure that outlasts its period makes the next firing late: once.
    KillTimer(window, 60);
    firings.clear();
    SetTimer(window, 61, 55, slowTimer);  // due at 310
    twplat::advanceClock(55);
    EXPECT_EQ(firings.size(), 1u);
    EXPECT_EQ(twplat::now(), 410u);
    twplat::advanceClock(0);
    ASSERT_EQ(firings.size(), 2u);
    EXPECT_EQ(firings[1].tick, 410u);
    EXPECT_EQ(twplat::now(), 510u);
}

TEST_F(Timers, KillReplaceAndWindowLifetime) {
    SetTimer(window, 5, 100, slowTimer);
    twplat::advanceClock(50);
    // The same id on the same window replaces the timer and restarts it.
    SetTimer(window, 5, 30, recordTimer);
    ASSERT_EQ(twplat::timers().size(), 1u);
    EXPECT_EQ(twplat::timers()[0].period, 30u);
    EXPECT_EQ(twplat::timers()[0].proc, recordTimer);
    twplat::advanceClock(29);
    EXPECT_TRUE(firings.empty());
    twplat::advanceClock(1);
    EXPECT_EQ(firings, (std::vector<Firing>{{window, WM_TIMER, 5, 80}}));

    // The same id on another window is another timer.
    HWND other = makeWindow("OTHER", "other");
    SetTimer(other, 5, 30, recordTimer);
    EXPECT_EQ(twplat::timers().size(), 2u);

    EXPECT_TRUE(KillTimer(window, 5));
    EXPECT_FALSE(KillTimer(window, 5));
    firings.clear();
    twplat::advanceClock(30);
    EXPECT_EQ(firings, (std::vector<Firing>{{other, WM_TIMER, 5, 110}}));

    // A destroyed window takes its timers along; a dead window gets none.
    DestroyWindow(other);
    EXPECT_TRUE(twplat::timers().empty());
    SetLastError(0);
    EXPECT_EQ(SetTimer(other, 1, 10, recordTimer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

    // A timer may kill itself while it runs.
    firings.clear();
    SetTimer(window, 8, 10, selfKillingTimer);
    twplat::advanceClock(100);
    EXPECT_EQ(firings.size(), 1u);
    EXPECT_TRUE(twplat::timers().empty());

    // Thread timers get fresh ids unless an existing one is named.
    UINT_PTR a = SetTimer(nullptr, 0, 10, recordTimer);
    UINT_PTR b = SetTimer(nullptr, 0, 10, recordTimer);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(SetTimer(nullptr, a, 20, recordTimer), a);
    EXPECT_EQ(twplat::timers().size(), 2u);
}

}  // namespace

}  // namespace timers_test

#endif
