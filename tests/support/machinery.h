// What the stand-in holds for the module's machinery (windows, timers, atoms,
// mappings, open files, sound devices and buffers), counted so that a test or
// a fuzz target can compare it before and after the master gauge's life.
#pragma once

#include <cstddef>
#include <ostream>

#include "platform/linux/stand_in.h"

namespace twtest {

struct Held {
    size_t windows, timers, atoms, mappings, files, devices, buffers;
    size_t misused;  // buffers called after their release
    bool operator==(const Held&) const = default;
};

// Reading the buffers' list copies every buffer's sound: once a check.
inline Held held() {
    Held h{twplat::windows().size(),
           twplat::timers().size(),
           twplat::atoms().size(),
           twplat::mappings().size(),
           twplat::openFiles().size(),
           0,
           0,
           0};
    for (const auto& d : twplat::soundDevices()) h.devices += !d.released;
    for (const auto& b : twplat::soundBuffers()) {
        h.buffers += !b.released;
        h.misused += b.callsAfterRelease != 0;
    }
    return h;
}

inline void PrintTo(const Held& h, std::ostream* os) {
    *os << "{windows " << h.windows << ", timers " << h.timers << ", atoms " << h.atoms
        << ", mappings " << h.mappings << ", files " << h.files << ", devices " << h.devices
        << ", buffers " << h.buffers << ", misused " << h.misused << "}";
}

}  // namespace twtest
