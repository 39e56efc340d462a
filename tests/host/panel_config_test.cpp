#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "host/host.h"
#include "host/panel_config.h"
#include "host/render.h"

namespace panel_config_test {

namespace {

const std::string SourceDir = TW_SOURCE_DIR;
const std::string ArtworkDir = TW_ARTWORK_DIR;

TEST(PanelConfig, ReadsWindowsGaugesSizesAndParameters) {
    auto cfg = tw::parsePanelConfig(
        "[Window Titles]\n"
        "Window00=Main Panel\n"
        "\n"
        "[Window00]\n"
        "// a comment\n"
        "size_mm=800,600\n"
        "position=7\n"
        "gauge00=tarnwick!ASI, 10, 20, 150, 140\n"
        "gauge01=tarnwick!EGT1,0,0\n"
        "gauge02=tarnwick!EPR1, 1, 2, 3, 4, 5 and, more\n"
        "[Window01]\n"
        "size_mm=300\n");
    ASSERT_EQ(cfg.windows.size(), 2u);
    const auto& w = cfg.windows[0];
    EXPECT_EQ(w.title, "Main Panel");
    EXPECT_EQ(w.width, 800);
    EXPECT_EQ(w.height, 600);
    ASSERT_EQ(w.gauges.size(), 3u);
    EXPECT_EQ(w.gauges[0].module, "tarnwick");
    EXPECT_EQ(w.gauges[0].name, "ASI");
    EXPECT_EQ(w.gauges[0].x, 10);
    EXPECT_EQ(w.gauges[0].height, 140);
    EXPECT_EQ(w.gauges[0].line, 8);
    EXPECT_EQ(w.gauges[1].width, 0);  // the gauge's own size
    EXPECT_EQ(w.gauges[2].parameters, "5 and, more");
    EXPECT_EQ(cfg.windows[1].height, 0);
}

TEST(PanelConfig, RefusesAMalformedLineNamingIt) {
    const char* bad[] = {
        "[Window00]\nsize_mm=10,10\ngauge00=tarnwick ASI, 1, 2\n",  // no module
        "[Window00]\nsize_mm=10,10\ngauge00=tarnwick!ASI, 1\n",     // no y
        "[Window00]\nsize_mm=10,10\ngauge00=tarnwick!ASI, a, 2\n",  // not a number
        "[Window00]\nsize_mm=10,10\ngauge00=tarnwick!ASI, 1, 2, -3\n",
        "[Window00]\nsize_mm=10,10\nthis line has no equals sign\n",
        "[Window00]\nsize_mm=10,x\n\n",
        "[Window00\nsize_mm=10\n\n",
        "gauge00=tarnwick!ASI, 1, 2\n\n\n",  // before any window
    };
    int expected_line[] = {3, 3, 3, 3, 3, 2, 1, 1};
    for (size_t i = 0; i < std::size(bad); ++i) {
        try {
            tw::parsePanelConfig(bad[i], "cockpit.cfg");
            ADD_FAILURE() << "accepted: " << bad[i];
        } catch (const tw::PanelConfigError& e) {
            EXPECT_EQ(e.line(), expected_line[i]) << bad[i];
            EXPECT_EQ(std::string(e.what()).rfind(
                          "cockpit.cfg:" + std::to_string(expected_line[i]) + ": ", 0),
                      0u);
        }
    }
    // A gauge the module lacks is refused at its line too.
    auto cfg = tw::parsePanelConfig("[Window00]\nsize_mm=10\ngauge00=tarnwick!NOPE, 1, 2\n");
    tw::Host host;
    try {
        tw::placePanel(host, cfg);
        ADD_FAILURE() << "placed a gauge the module lacks";
    } catch (const tw::PanelConfigError& e) {
        EXPECT_EQ(e.line(), 3);
    }
}

// Sizes far beyond any screen are cut to what a picture can hold.
TEST(PanelConfig, HugeWindowsAndBoxesStayWithinAPicture) {
    auto cfg = tw::parsePanelConfig(
        "[Window00]\nsize_mm=1000000,12\ngauge00=tarnwick!FLOOD_SW, 0, 0, 1000000, 1000000\n");
    tw::Host host;
    auto placed = tw::placePanel(host, cfg);
    host.frame();
    tw::Pictures pictures(host.module().handle());
    tw::Image img = tw::drawPanel(cfg, placed, pictures);
    EXPECT_EQ(img.width, 16384);
    EXPECT_EQ(img.height, 12);
    EXPECT_NE(img.at(0, 0), 0x2E3034u);  // the switch's plate, not the bare panel
}

// The shipped cockpits: panel.cfg with the EPR dials, panel_old_epr.cfg with
// the OLD_EPR ones, otherwise the same; together every gauge of the module.
// Each window has its background, and each built gauge shows something of its
// own in its box over it.
TEST(PanelConfig, TheShippedCockpitsDrawEveryBuiltGaugeOverTheirBackgrounds) {
    std::set<std::string> covered;
    for (const char* name : {"/resources/panel.cfg", "/resources/panel_old_epr.cfg"}) {
        auto cfg = tw::readPanelConfig(SourceDir + name);
        ASSERT_EQ(cfg.windows.size(), 4u) << name;
        tw::Host host;
        auto placed = tw::placePanel(host, cfg);
        // One dial style per panel: 112 gauges less the other style's four.
        EXPECT_EQ(placed.size(), 108u) << name;
        for (const auto& p : placed) covered.insert(p.line->name);
        host.runTicks(3);
        tw::Pictures pictures(host.module().handle());
        auto backgrounds = tw::loadBackgrounds(cfg, {ArtworkDir});
        for (const auto& w : cfg.windows) EXPECT_TRUE(backgrounds.count(w.section)) << w.file;
        tw::Image img = tw::drawPanel(cfg, placed, pictures, backgrounds);
        tw::Image bare = tw::drawPanel(cfg, {}, pictures, backgrounds);
        int width = 0, height = 0;
        for (const auto& w : cfg.windows) {
            width = std::max(width, w.width);
            height += w.height;
        }
        EXPECT_EQ(img.width, width);
        EXPECT_EQ(img.height, height);
        ASSERT_EQ(bare.width, img.width);
        ASSERT_EQ(bare.height, img.height);

        std::map<const tw::PanelWindow*, int> tops;
        int top = 0;
        for (const auto& w : cfg.windows) {
            tops[&w] = top;
            top += w.height;
        }
        int built = 0;
        for (const auto& p : placed) {
            // Inside its window.
            EXPECT_LE(p.line->x + p.line->width, p.window->width) << p.line->name;
            EXPECT_LE(p.line->y + p.line->height, p.window->height) << p.line->name;
            if (!p.gauge->header()->elements_list) continue;
            ++built;
            // Row by row over the raw pixels: this test's own code is not
            // optimised, and under an emulator a call per pixel takes seconds.
            int differing = 0;
            const size_t stride = static_cast<size_t>(img.width);
            size_t row = static_cast<size_t>(tops[p.window] + p.line->y) * stride +
                         static_cast<size_t>(p.line->x);
            for (int y = 0; y < p.line->height; ++y, row += stride) {
                const uint32_t* drawn = img.pixels.data() + row;
                const uint32_t* under = bare.pixels.data() + row;
                for (int x = 0; x < p.line->width; ++x) differing += drawn[x] != under[x];
            }
            EXPECT_GT(differing, p.line->width * p.line->height / 4) << p.line->name;
        }
        EXPECT_GE(built, 4);
    }
    tw::Host host;
    int gauges = 0;
    for (GAUGE_HEADER* const* g = host.module().linkage()->gauge_table; *g; ++g, ++gauges)
        EXPECT_TRUE(covered.count((*g)->gauge_name)) << (*g)->gauge_name;
    EXPECT_EQ(gauges, 112);
    EXPECT_EQ(covered.size(), 112u);
}

}  // namespace

}  // namespace panel_config_test
