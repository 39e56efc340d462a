// The panel a command runs on: the host, the gauges placed on it, presses at
// points of them, and the time that passes after a command's mouse action.
#include <cmath>

#include "tools/cli/cli.h"

namespace twcli {

std::unique_ptr<tw::Host> makeHost(const Options& o, bool weather_service) {
    auto host = std::make_unique<tw::Host>(o.module.empty() ? tw::Module::defaultPath() : o.module);
    for (auto [id, v] : o.vars) host->setVar(id, v);
    for (const auto& [expression, v] : o.calculations) host->setCalculatorResult(expression, v);
    // The weather service before any gauge, so that the master gauge finds it.
    if (weather_service || o.weather || o.radar_range >= 0)
        host->startOffsetServer().serveWeather(o.field);
    return host;
}

tw::Gauge* findPlaced(tw::Host& host, const std::string& name) {
    for (const auto& g : host.gauges())
        if (g->name() == name) return g.get();
    return nullptr;
}

tw::Gauge* place(tw::Host& host, const std::string& name) {
    if (tw::Gauge* g = findPlaced(host, name)) return g;
    tw::Gauge* g = host.createGauge(name);
    if (!g) throw UsageError("no gauge named '" + name + "'");
    return g;
}

tw::Gauge* placeNamed(tw::Host& host, const Options& o) {
    // The systems timer runs only while the master gauge is connected.
    if (o.ticks > 0 && o.gauge != "FLOOD_SW" && host.module().findGauge(o.gauge))
        host.createGauge("FLOOD_SW");
    tw::Gauge* g = host.createGauge(o.gauge, o.param);
    if (!g) throw UsageError("no gauge named '" + o.gauge + "'");
    for (const std::string& other : o.with) place(host, other);
    for (const TimedPress& t : o.presses) place(host, t.gauge);
    return g;
}

PIXPOINT pointOn(const tw::Gauge& g, int32_t x, int32_t y) {
    // Areas without a size of their own (a lamp's tooltip) cover the whole gauge.
    auto extent = g.mouseAreas().extent();
    if (extent && !extent->contains(x, y))
        throw UsageError("point (" + std::to_string(x) + "," + std::to_string(y) + ") is outside " +
                         g.name());
    return PIXPOINT{x, y};
}

void pressAt(tw::Gauge& g, PIXPOINT p) {
    if (!g.press(p.x, p.y))
        throw UsageError("no clickable area at (" + std::to_string(p.x) + "," +
                         std::to_string(p.y) + ") of " + g.name());
}

void runAfter(tw::Host& host, const Options& o) {
    constexpr uint32_t TimeOfDay = 557;
    constexpr double SecondsPerDay = 86400.0, TickSeconds = 0.055;
    for (int tick = 0; tick <= o.ticks; ++tick) {
        for (const TimedPress& t : o.presses) {
            if (t.tick != tick) continue;
            tw::Gauge& g = *findPlaced(host, t.gauge);
            pressAt(g, pointOn(g, t.point.x, t.point.y));
            g.release();
        }
        if (tick == o.ticks) break;
        if (o.time_of_day) {
            double t = std::fmod(*o.time_of_day + tick * TickSeconds, SecondsPerDay);
            host.setVar(TimeOfDay, t < 0 ? t + SecondsPerDay : t);
        }
        host.runTicks(1);
    }
    host.frames(o.frames);
}

void selectRadarRange(tw::Host& host, tw::Gauge* controls, int position) {
    // Points inside radartc's range selector areas, by selector position.
    constexpr PIXPOINT RangeSelectorAt[5] = {{5, 120}, {5, 100}, {10, 75}, {30, 75}, {55, 75}};
    if (position < 0) return;
    if (!controls || controls->name() != "radartc") controls = host.createGauge("radartc");
    PIXPOINT p = RangeSelectorAt[position];
    if (!controls->press(p.x, p.y)) throw UsageError("radartc has no range selector");
    controls->release();
}

}  // namespace twcli
