// What the parts of the stand-in share among themselves; not for callers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/stand_in.h"

namespace twplat::detail {

// The clock without timer dispatch, as Sleep and a blocked send move it.
void moveClock(uint64_t ms);

// True when the fault is armed for this call (and counts the call).
bool faultHits(Fault fault);

// Windows names compare case-insensitively in the ASCII range.
bool equalNoCase(std::string_view a, std::string_view b);
std::string upperCase(std::string_view s);

// Windows and timers meet here: a destroyed window takes its timers along.
bool isWindow(HWND hwnd);
WNDPROC windowProcOf(HWND hwnd);
void killTimersOf(HWND hwnd);

// Each part starts clean.
void resetWindows();
void resetTimers();
void resetAtoms();
void resetFiles();
void resetResources();
void resetSound();

}  // namespace twplat::detail
