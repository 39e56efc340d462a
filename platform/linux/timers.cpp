// SetTimer and KillTimer on the virtual clock, and the dispatch that
// advanceClock does in place of a message loop.

#include <algorithm>
#include <vector>

#include "platform/linux/internal.h"

namespace twplat {

namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    TIMERPROC proc;
    uint64_t due;
    uint64_t armed;  // order of arming, to break ties between equal due times
    uint64_t fired;
};

std::vector<Timer> timerList;
uint64_t armCounter = 0;
UINT_PTR nextThreadTimerId = 1;

Timer* findTimer(HWND hwnd, UINT_PTR id) {
    for (Timer& t : timerList) {
        if (t.hwnd == hwnd && t.id == id) return &t;
    }
    return nullptr;
}

UINT clampPeriod(UINT ms) { return std::clamp(ms, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM); }

}  // namespace

namespace detail {

void killTimersOf(HWND hwnd) {
    std::erase_if(timerList, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
}

void resetTimers() {
    timerList.clear();
    armCounter = 0;
    nextThreadTimerId = 1;
}

}  // namespace detail

void advanceClock(uint64_t ms) {
    const uint64_t target = now() + ms;
    for (;;) {
        // Timer procedures may set and kill timers: search afresh every time.
        Timer* next = nullptr;
        for (Timer& t : timerList) {
            if (t.due > target) continue;
            if (!next || t.due < next->due || (t.due == next->due && t.armed < next->armed)) {
                next = &t;
            }
        }
        if (!next) break;
        if (next->due > now()) detail::moveClock(next->due - now());
        // Re-armed before the call, as the system does when it hands out
        // WM_TIMER: a late timer fires once and counts its period from now.
        next->due = now() + next->period;
        next->armed = ++armCounter;
        ++next->fired;
        const HWND hwnd = next->hwnd;
        const UINT_PTR id = next->id;
        if (next->proc) {
            next->proc(hwnd, WM_TIMER, id, GetTickCount());
        } else if (WNDPROC proc = detail::windowProcOf(hwnd)) {
            proc(hwnd, WM_TIMER, id, 0);
        }
    }
    if (now() < target) detail::moveClock(target - now());
}

std::vector<TimerInfo> timers() {
    std::vector<TimerInfo> out;
    for (const Timer& t : timerList)
        out.push_back({t.hwnd, t.id, t.period, t.proc, t.due, t.fired});
    return out;
}

}  // namespace twplat

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    using namespace twplat;
    if (hWnd && !detail::isWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const UINT period = clampPeriod(uElapse);
    // Without a window an unknown id is ignored and a new one is made up.
    Timer* t = findTimer(hWnd, nIDEvent);
    if (!hWnd && !t) {
        while (findTimer(nullptr, nextThreadTimerId)) ++nextThreadTimerId;
        nIDEvent = nextThreadTimerId++;
    }
    if (t) {
        // Replacing resets the timer: the new period counts from now.
        t->period = period;
        t->proc = lpTimerFunc;
        t->due = now() + period;
        t->armed = ++armCounter;
    } else {
        timerList.push_back({hWnd, nIDEvent, period, lpTimerFunc, now() + period, ++armCounter, 0});
    }
    if (!hWnd) return nIDEvent;
    return nIDEvent != 0 ? nIDEvent : 1;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    using namespace twplat;
    if (hWnd && !detail::isWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto it = std::find_if(timerList.begin(), timerList.end(),
                           [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    if (it == timerList.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timerList.erase(it);
    return TRUE;
}

}  // extern "C"
