// A panel of named gauges on one bundled host, as a panel configuration would
// place them, with what the tests of several gauges working together ask of
// it: clicks, draw state, tooltips, events and (on Linux) sounds.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>

#include "host/host.h"
#include "tests/support/module_api.h"
#include "tests/support/wav_files.h"

namespace twtest {

class Panel {
public:
    // Places the gauges in this order; on Linux the cockpit sounds are written
    // first, so that a FLOOD_SW among them loads them.
    explicit Panel(std::initializer_list<const char*> gauges);

    tw::Host host;

    tw::Gauge& operator[](const std::string& name);
    // A left press and release at a point of the gauge; fails the test when
    // nothing there takes it.
    void click(const std::string& gauge, int32_t x, int32_t y);
    // Element i of the gauge's draw state, as of the last frame.
    const tw::ElementState& element(const std::string& gauge, size_t i);
    std::string tooltip(const std::string& gauge, int32_t x, int32_t y);
    // The host's tick counter moves `n` counts, with a frame each, while the
    // systems timer stands still (Host::runTicks moves both; on Windows the
    // timer's periods take real time).
    void counts(int n);
    // How often the module has sent an event since the logs were last cleared.
    size_t sent(uint32_t event_id) const;
    // Play calls of a cockpit sound; empty where the stand-in cannot be asked.
    std::optional<unsigned> plays(const char* sound);
    bool symbols() { return host.module().symbol("PowerAvailable") != nullptr; }

private:
    ScratchFolder dir_;  // the current folder while the host lives
    std::map<std::string, tw::Gauge*> gauges_;
};

}  // namespace twtest
