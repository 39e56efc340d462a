// The host's event log as a plain list, read entry by entry in order (the log's
// own container may change), and a readable form for failure messages.
#pragma once

#include <ostream>
#include <vector>

#include "host/host.h"

namespace tw {

inline void PrintTo(const SentEvent& e, std::ostream* os) {
    *os << "{" << e.id << ", " << e.value << (e.source == SentEvent::Module ? "" : ", by the host")
        << "}";
}

}  // namespace tw

namespace twtest {

using Events = std::vector<tw::SentEvent>;

inline Events eventLog(const tw::Host& host) {
    Events out;
    for (const tw::SentEvent& e : host.events()) out.push_back(e);
    return out;
}

// An event the module sent; negative values travel as their 32-bit pattern.
inline tw::SentEvent sent(uint32_t id, int64_t value = 0) {
    return {tw::SentEvent::Module, id, static_cast<uint32_t>(value)};
}

}  // namespace twtest
