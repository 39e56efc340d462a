#include <gtest/gtest.h>

#include <string>

#include "host/host.h"
#include "host/panel_config.h"
#include "host/render.h"

namespace {

const std::string SourceDir = TW_SOURCE_DIR;

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

// The shipped cockpit: every gauge of the module, drawn at the stated size,
// each built gauge showing something in its box.
TEST(PanelConfig, TheShippedCockpitDrawsEveryBuiltGauge) {
    auto cfg = tw::readPanelConfig(SourceDir + "/resources/panel.cfg");
    ASSERT_EQ(cfg.windows.size(), 4u);
    tw::Host host;
    auto placed = tw::placePanel(host, cfg);
    EXPECT_EQ(placed.size(), 112u);
    host.runTicks(3);
    tw::Pictures pictures(host.module().handle());
    tw::Image img = tw::drawPanel(cfg, placed, pictures);
    int width = 0, height = 0;
    for (const auto& w : cfg.windows) {
        width = std::max(width, w.width);
        height += w.height;
    }
    EXPECT_EQ(img.width, width);
    EXPECT_EQ(img.height, height);

    constexpr uint32_t PanelColour = 0x2E3034;
    int top = 0;
    const tw::PanelWindow* current = nullptr;
    int built = 0;
    for (const auto& p : placed) {
        if (p.window != current) {
            top = 0;
            for (const auto& w : cfg.windows) {
                if (&w == p.window) break;
                top += w.height;
            }
            current = p.window;
        }
        if (!p.gauge->header()->elements_list) continue;
        ++built;
        int differing = 0;
        for (int y = 0; y < p.line->height; ++y)
            for (int x = 0; x < p.line->width; ++x)
                differing += img.at(p.line->x + x, top + p.line->y + y) != PanelColour;
        EXPECT_GT(differing, p.line->width * p.line->height / 4) << p.line->name;
    }
    EXPECT_GE(built, 4);
}

}  // namespace
