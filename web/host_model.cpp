// The engine model of the browser cockpit (host_model.h).
#include "web/host_model.h"

#include <algorithm>

namespace tw::web {

namespace {

// Host variables of engine n (0..3), by family stride.
uint32_t runningVar(int n) { return 131 + 35 * static_cast<uint32_t>(n); }
uint32_t n1Var(int n) { return 624 + 19 * static_cast<uint32_t>(n); }
uint32_t n2Var(int n) { return 625 + 19 * static_cast<uint32_t>(n); }
uint32_t fuelFlowVar(int n) { return 638 + 19 * static_cast<uint32_t>(n); }
uint32_t egtVar(int n) { return 567 + 10 * static_cast<uint32_t>(n); }
uint32_t starterVar(int n) { return 563 + 10 * static_cast<uint32_t>(n); }
uint32_t thrustVar(int n) { return 128 + 35 * static_cast<uint32_t>(n); }
// The same rotor speeds on the host's 16384 = 100 % scale.
uint32_t n1RawVar(int n) { return 135 + 35 * static_cast<uint32_t>(n); }
uint32_t n2RawVar(int n) { return 136 + 35 * static_cast<uint32_t>(n); }

// The module's events to the host's engines, engine 1's; the others follow
// at the stride.
constexpr uint32_t StarterEngaged1 = 66300;  // stride 1, sent while a start runs
constexpr uint32_t StarterToggle1 = 65927;   // stride 6
constexpr uint32_t FuelOn1 = 65983;          // stride 5
constexpr uint32_t FuelCutOff1 = 65987;      // stride 5
constexpr uint32_t ThrustLeverSet1 = 65820;  // stride 1, with the lever's value
constexpr uint32_t StarterToggleStride = 6, FuelStride = 5;

constexpr double StarterN2 = 25.0;  // what the starter alone turns the core to
constexpr double IdleN2 = 70.0;     // the bleed of an idling engine 3 starts the others
constexpr double LightOffSeconds = 2.0;
// The starter event comes on every update while the start runs: it stops
// turning soon after the events stop.
constexpr double StarterRunOn = 0.5;

// v moves toward target with time constant tau.
void approach(double& v, double target, double seconds, double tau) {
    v += (target - v) * std::min(1.0, seconds / tau);
}

}  // namespace

void HostModel::hear(const SentEvent& event) {
    const uint32_t id = event.id;
    for (int n = 0; n < 4; ++n) {
        Engine& e = engines_[static_cast<size_t>(n)];
        const uint32_t k = static_cast<uint32_t>(n);
        if (id == StarterEngaged1 + k) e.starter_left = StarterRunOn;
        if (id == StarterToggle1 + StarterToggleStride * k)
            e.starter_left = e.starter_left > 0 ? 0.0 : StarterRunOn;
        if (id == FuelOn1 + FuelStride * k) e.fuel = true;
        if (id == FuelCutOff1 + FuelStride * k) e.fuel = false;
        if (id == ThrustLeverSet1 + k) e.thrust = static_cast<int32_t>(event.value);
    }
}

void HostModel::step(Host& host, double seconds) {
    for (int n = 0; n < 4; ++n) {
        Engine& e = engines_[static_cast<size_t>(n)];
        const bool told = host.var(runningVar(n)) == 1.0;
        if (told != e.running) {
            e.running = told;
            e.fuel = told;
            e.light_off = 0.0;
            if (told) e.n2 = std::max(e.n2, IdleN2);
        }
        e.starter_left = std::max(0.0, e.starter_left - seconds);
        const bool starter = e.starter_left > 0.0;
        if (!e.running) {
            approach(e.n2, starter ? StarterN2 : 0.0, seconds, starter ? 6.0 : 10.0);
            if (e.fuel && e.n2 > 15.0) {
                e.light_off += seconds;
                approach(e.egt_c, 500.0, seconds, 3.0);
                e.fuel_flow = 900.0;
                if (e.light_off >= LightOffSeconds) e.running = true;
            } else {
                e.light_off = 0.0;
                approach(e.egt_c, 15.0, seconds, 20.0);
                e.fuel_flow = 0.0;
            }
            e.n1 = e.n2 * 0.3;
        }
        if (e.running) {
            if (!e.fuel) {
                e.running = false;
            } else {
                const double lever = std::clamp(e.thrust, 0.0, 16384.0) / 16384.0;
                approach(e.n2, IdleN2 + lever * (101.0 - IdleN2), seconds, 4.0);
                const double power = std::max(0.0, (e.n2 - IdleN2) / (101.0 - IdleN2));
                e.n1 = std::max(e.n1, 0.0);
                approach(e.n1, 25.0 + power * 75.0, seconds, 2.0);
                approach(e.egt_c, 420.0 + power * 380.0, seconds, 3.0);
                e.fuel_flow = 1000.0 + power * 9000.0;
            }
        }
        host.setVar(runningVar(n), e.running ? 1.0 : 0.0);
        host.setVar(n1Var(n), e.n1);
        host.setVar(n2Var(n), e.n2);
        host.setVar(n1RawVar(n), e.n1 * 16384.0 / 100.0);
        host.setVar(n2RawVar(n), e.n2 * 16384.0 / 100.0);
        host.setVar(fuelFlowVar(n), e.fuel_flow);
        host.setVar(egtVar(n), (e.egt_c + 273.15) * 1.8);  // degrees Rankine
        host.setVar(starterVar(n), starter && !e.running ? 1.0 : 0.0);
        host.setVar(thrustVar(n), e.thrust);
    }
}

}  // namespace tw::web
