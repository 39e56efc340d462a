// The commands on one gauge or a panel: list, show, click, drag, tooltip,
// render and render-panel.
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "host/render.h"
#include "tools/cli/cli.h"

namespace twcli {

namespace {

size_t countChildAreas(const tw::MouseAreas& m) {
    size_t n = 0;
    for (const auto& a : m.areas()) n += a.kind == tw::MouseArea::Child;
    return n;
}

std::vector<std::string> tooltipTexts(const tw::MouseAreas& m) {
    std::vector<std::string> out;
    for (const auto& a : m.areas())
        if (a.tooltip && a.tooltip->text) out.push_back(utf8(a.tooltip->text));
    return out;
}

// After a mouse action: what was sent, and in text the state it left.
int printAfterAction(tw::Host& host, const tw::Gauge& g, const Options& o) {
    printEvents(host, o);
    if (!o.json) printState(g, o);
    return 0;
}

}  // namespace

int listCommand(const Options& o) {
    auto host = makeHost(o, false);
    Json list = Json::array();
    for (GAUGE_HEADER* const* h = host->module().linkage()->gauge_table; *h; ++h) {
        tw::Gauge* g = host->createGauge((*h)->gauge_name, o.param);
        host->frame();
        std::vector<std::string> tips = tooltipTexts(g->mouseAreas());
        size_t elements = g->drawState().size(), areas = countChildAreas(g->mouseAreas());
        if (o.json) {
            Json j;
            j["name"] = utf8(g->name());
            j["width_mm"] = (*h)->size_x_mm;
            j["elements"] = elements;
            j["mouse_areas"] = areas;
            j["tooltips"] = tips;
            list.push_back(std::move(j));
        } else {
            std::cout << g->name() << "  " << (*h)->size_x_mm << " mm  " << elements
                      << " elements  " << areas << " areas";
            for (const auto& t : tips) std::cout << "  \"" << t << "\"";
            std::cout << "\n";
        }
        host->destroyGauge(g);
    }
    if (o.json) printJson(list);
    return 0;
}

int showCommand(const Options& o) {
    auto host = makeHost(o, false);
    tw::Gauge* g = placeNamed(*host, o);
    selectRadarRange(*host, g, o.radar_range);
    if (o.ticks == 0) {
        runAfter(*host, o);
        printState(*g, o);
        return 0;
    }
    // What the systems timer sent while it ran, then the state it left.
    host->clearLogs();
    runAfter(*host, o);
    if (o.json) {
        Json events = eventsJson(*host);
        printState(*g, o, &events);
    } else {
        printEvents(*host, o);
        printState(*g, o);
    }
    return 0;
}

int clickCommand(const Options& o) {
    auto host = makeHost(o, false);
    tw::Gauge* g = placeNamed(*host, o);
    selectRadarRange(*host, g, o.radar_range);
    PIXPOINT p = pointOn(*g, o.coordinates[0], o.coordinates[1]);
    host->frame();
    host->clearLogs();
    pressAt(*g, p);
    g->release();
    runAfter(*host, o);
    return printAfterAction(*host, *g, o);
}

int dragCommand(const Options& o) {
    if (o.coordinates.size() < 4 || o.coordinates.size() % 2 == 1)
        throw UsageError("drag wants GAUGE X Y X2 Y2 [X3 Y3]..., got " +
                         std::to_string(o.coordinates.size()) + " coordinates");
    auto host = makeHost(o, false);
    tw::Gauge* g = placeNamed(*host, o);
    selectRadarRange(*host, g, o.radar_range);
    PIXPOINT p = pointOn(*g, o.coordinates[0], o.coordinates[1]);
    host->frame();
    host->clearLogs();
    pressAt(*g, p);
    // The path goes anywhere, also off the gauge.
    for (size_t i = 2; i < o.coordinates.size(); i += 2)
        g->drag(o.coordinates[i], o.coordinates[i + 1]);
    g->release();
    runAfter(*host, o);
    return printAfterAction(*host, *g, o);
}

int tooltipCommand(const Options& o) {
    auto host = makeHost(o, false);
    tw::Gauge* g = placeNamed(*host, o);
    selectRadarRange(*host, g, o.radar_range);
    PIXPOINT p = pointOn(*g, o.coordinates[0], o.coordinates[1]);
    runAfter(*host, o);
    auto text = g->tooltipAt(p.x, p.y);
    if (!text) throw UsageError("no tooltip at that point of " + g->name());
    if (o.json) {
        Json j;
        j["tooltip"] = utf8(*text);
        printJson(j);
    } else {
        std::cout << utf8(*text) << "\n";
    }
    return 0;
}

int renderCommand(const Options& o) {
    auto host = makeHost(o, false);
    tw::Gauge* g = placeNamed(*host, o);
    host->frame();
    for (PIXPOINT c : o.clicks) {
        pressAt(*g, c);
        g->release();
        host->frame();
    }
    runAfter(*host, o);
    tw::Pictures pictures(host->module().handle());
    tw::Image img = tw::renderGauge(*g, pictures);
    tw::writePng(o.out, img);
    std::cout << "wrote " << o.out << " (" << img.width << " x " << img.height << ")\n";
    return 0;
}

int renderPanelCommand(const Options& o) {
    auto host = makeHost(o, false);
    tw::PanelConfig cfg = tw::readPanelConfig(o.panel_file);
    if (o.window > static_cast<int>(cfg.windows.size()))
        throw UsageError("--window " + std::to_string(o.window) + ": the configuration has " +
                         std::to_string(cfg.windows.size()) + " windows");
    auto placed = tw::placePanel(*host, cfg);
    tw::Pictures pictures(host->module().handle());
    if (o.sheet) {
        // Every gauge of the module, also those this configuration leaves out.
        std::vector<tw::SheetEntry> entries;
        for (GAUGE_HEADER* const* g = host->module().linkage()->gauge_table; *g; ++g) {
            const char* name = (*g)->gauge_name;
            auto on = std::find_if(placed.begin(), placed.end(),
                                   [&](const tw::PlacedGauge& p) { return p.line->name == name; });
            if (on != placed.end())
                entries.push_back({on->gauge, on->line->width, on->line->height});
            else
                entries.push_back({place(*host, name), 0, 0});
        }
        runAfter(*host, o);
        tw::Image img = tw::drawSheet(entries, pictures, o.columns);
        tw::writePng(o.out, img);
        std::cout << "wrote " << o.out << " (" << img.width << " x " << img.height << ", "
                  << entries.size() << " gauges)\n";
        return 0;
    }
    runAfter(*host, o);
    std::vector<std::string> folders;
    if (!o.art_folder.empty()) folders.push_back(o.art_folder);
    folders.push_back(std::filesystem::path(o.panel_file).parent_path().string());
    // A build draws them into resources/ beside the module; a package has them in Panel/.
    auto module_folder = std::filesystem::path(tw::Module::defaultPath()).parent_path();
    folders.push_back((module_folder / "resources").string());
    folders.push_back((module_folder / "Panel").string());
    for (auto& f : folders)
        if (f.empty()) f = ".";
    auto backgrounds = tw::loadBackgrounds(cfg, folders);
    size_t shown = placed.size();
    if (o.window > 0) {
        // One window: the configuration cut down to it.
        const tw::PanelWindow* only = &cfg.windows[static_cast<size_t>(o.window - 1)];
        tw::PanelConfig one;
        one.file = cfg.file;
        one.windows.push_back(*only);
        std::vector<tw::PlacedGauge> its;
        for (size_t i = 0; i < placed.size(); ++i)
            if (placed[i].window == only)
                its.push_back(
                    {&one.windows[0],
                     &one.windows[0]
                          .gauges[static_cast<size_t>(placed[i].line - only->gauges.data())],
                     placed[i].gauge});
        placed = std::move(its);
        cfg = std::move(one);
        shown = placed.size();
    }
    tw::Image img = tw::drawPanel(cfg, placed, pictures, backgrounds);
    tw::writePng(o.out, img);
    std::cout << "wrote " << o.out << " (" << img.width << " x " << img.height << ", " << shown
              << " gauges, " << backgrounds.size() << " backgrounds)\n";
    return 0;
}

}  // namespace twcli
