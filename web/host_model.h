// The simulator's engines, as far as the browser cockpit needs them: what the
// host would do with the module's starter, fuel and thrust events, closing the
// loop of an engine start. Each engine's starter turns the core up to about
// 25 %, fuel with the core turning lights it after two seconds, and a lit
// engine runs, spooling its N2 up to idle (70 %) or to what its thrust lever
// asks; N1, EGT and fuel flow follow N2. Without fuel a running engine stops
// and runs down.
#pragma once

#include <array>
#include <cstdint>

#include "host/host.h"

namespace tw::web {

class HostModel {
public:
    // An event the module (or a mouse area) sent.
    void hear(const SentEvent& event);
    // One period of the systems timer: the engines move on and their host
    // variables are written. An engine-running variable set from outside
    // (the page's side panel) since the last step wins: the engine runs at
    // idle with fuel on, or stops.
    void step(Host& host, double seconds);

    struct Engine {
        bool running = false;
        bool fuel = false;
        double starter_left = 0.0;  // seconds the host's starter still turns
        double light_off = 0.0;     // seconds of fuel with the core turning
        double n2 = 0.0, n1 = 0.0;  // percent
        double egt_c = 15.0;
        double fuel_flow = 0.0;  // lb/hr
        double thrust = 0.0;     // the lever's last value
    };
    const Engine& engine(int n) const { return engines_[static_cast<size_t>(n)]; }

private:
    std::array<Engine, 4> engines_{};
};

}  // namespace tw::web
