#include "tests/support/whole_panel.h"

namespace twtest {

namespace {

struct Point {
    int32_t x, y;
};

Point middle(const tw::Box& b) {
    if (b.unbounded) return {0, 0};
    return {b.x + b.width / 2, b.y + b.height / 2};
}

}  // namespace

std::vector<tw::Gauge*> createEveryGauge(tw::Host& host, uintptr_t window) {
    std::vector<tw::Gauge*> made;
    for (GAUGE_HEADER* const* g = host.module().linkage()->gauge_table; *g; ++g)
        made.push_back(host.createGauge(*g, "", window));
    return made;
}

void destroyAll(tw::Host& host, const std::vector<tw::Gauge*>& gauges) {
    for (auto it = gauges.rbegin(); it != gauges.rend(); ++it) host.destroyGauge(*it);
}

int clickEveryArea(tw::Gauge& gauge) {
    int taken = 0;
    for (const tw::MouseArea& a : gauge.mouseAreas().areas()) {
        if (a.kind != tw::MouseArea::Child || a.box.width <= 0 || a.box.height <= 0) continue;
        Point p = middle(a.box);
        if (!gauge.press(p.x, p.y)) continue;
        ++taken;
        gauge.repeat();
        gauge.drag(p.x, p.y + a.box.height / 4);
        gauge.release();
    }
    return taken;
}

int showEveryTooltip(tw::Gauge& gauge) {
    int shown = 0;
    for (const tw::MouseArea& a : gauge.mouseAreas().areas()) {
        if (a.kind != tw::MouseArea::Parent || !a.tooltip) continue;
        Point p = middle(a.box);
        if (gauge.formatTooltip(p.x, p.y)) ++shown;
    }
    return shown;
}

}  // namespace twtest
