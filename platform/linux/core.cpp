// Last error, process id, the virtual clock, Sleep and the fault switches.

#include <unistd.h>

#include <array>

#include "platform/linux/internal.h"

namespace twplat {

namespace {

// One thread uses the stand-in, but the last error is per thread on Windows.
thread_local DWORD lastError = ERROR_SUCCESS;

uint64_t clockMs = 0;
DWORD processIdOverride = 0;

struct FaultState {
    unsigned skip = 0;
    unsigned times = 0;
};
std::array<FaultState, static_cast<size_t>(Fault::Count_)> faults;

FaultState& faultOf(Fault f) { return faults[static_cast<size_t>(f)]; }

}  // namespace

namespace detail {

void moveClock(uint64_t ms) { clockMs += ms; }

bool faultHits(Fault fault) {
    FaultState& f = faultOf(fault);
    if (f.times == 0) return false;
    if (f.skip > 0) {
        --f.skip;
        return false;
    }
    if (f.times != kEveryCall) --f.times;
    return true;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string upperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace detail

void reset(uint64_t startMs) {
    // Windows go first: destroying them kills their timers and notifies nobody
    // else; the sound objects and views are independent of them.
    detail::resetWindows();
    detail::resetTimers();
    detail::resetAtoms();
    detail::resetFiles();
    detail::resetResources();
    detail::resetSound();
    faults = {};
    processIdOverride = 0;
    clockMs = startMs;
    lastError = ERROR_SUCCESS;
}

uint64_t now() { return clockMs; }

void setProcessId(DWORD pid) { processIdOverride = pid; }

void injectFault(Fault fault, unsigned times, unsigned after) {
    faultOf(fault) = FaultState{after, times};
}

void clearFault(Fault fault) { faultOf(fault) = FaultState{}; }

}  // namespace twplat

extern "C" {

DWORD WINAPI GetLastError(void) { return twplat::lastError; }

VOID WINAPI SetLastError(DWORD dwErrCode) { twplat::lastError = dwErrCode; }

DWORD WINAPI GetCurrentProcessId(void) {
    if (twplat::processIdOverride != 0) return twplat::processIdOverride;
    return static_cast<DWORD>(getpid());
}

DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(twplat::clockMs); }

// Sleep only passes time: no timer runs while the thread sleeps.
VOID WINAPI Sleep(DWORD dwMilliseconds) { twplat::detail::moveClock(dwMilliseconds); }

}  // extern "C"
