#include "tests/support/panel.h"

#include <stdexcept>

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace twtest {

namespace {
// The sounds go into the scratch folder before the host loads the module.
const ScratchFolder& withSounds(const ScratchFolder& dir) {
#if !defined(_WIN32)
    writeCockpitSounds(dir);
#endif
    return dir;
}
}  // namespace

Panel::Panel(std::initializer_list<const char*> gauges) {
    withSounds(dir_);
    for (const char* name : gauges) {
        tw::Gauge* g = host.createGauge(name);
        EXPECT_NE(g, nullptr) << name;
        gauges_[name] = g;
    }
}

tw::Gauge& Panel::operator[](const std::string& name) {
    auto it = gauges_.find(name);
    if (it == gauges_.end() || !it->second) throw std::out_of_range(name + " is not on the panel");
    return *it->second;
}

void Panel::click(const std::string& gauge, int32_t x, int32_t y) {
    tw::Gauge& g = (*this)[gauge];
    EXPECT_TRUE(g.press(x, y)) << gauge << " at " << x << "," << y;
    g.release();
}

const tw::ElementState& Panel::element(const std::string& gauge, size_t i) {
    const auto& d = (*this)[gauge].drawState();
    if (i >= d.size()) throw std::out_of_range(gauge + " has fewer elements");
    return d[i];
}

std::string Panel::tooltip(const std::string& gauge, int32_t x, int32_t y) {
    return (*this)[gauge].tooltipAt(x, y).value_or("(none)");
}

void Panel::counts(int n) {
    constexpr uint32_t TickCounter = 1;
    for (int i = 0; i < n; ++i) {
        host.setVar(TickCounter, host.var(TickCounter) + 1);
        host.frame();
    }
}

size_t Panel::sent(uint32_t event_id) const {
    size_t n = 0;
    for (const tw::SentEvent& e : host.events()) n += e.id == event_id;
    return n;
}

std::optional<unsigned> Panel::plays(const char* sound) {
#if defined(_WIN32)
    (void)sound;
    return std::nullopt;
#else
    if (!symbols()) return std::nullopt;
    return soundInfo(host, sound).playCalls;
#endif
}

}  // namespace twtest
