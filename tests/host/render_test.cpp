// Pictures of gauges, checked by sampling pixels against the module's own
// bitmaps: where a needle points, what a hidden icon leaves, where a slider
// and a drum window move.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "framework/gauge.h"
#include "host/host.h"
#include "host/panel_config.h"
#include "host/render.h"

namespace render_test {

namespace {

constexpr uint32_t Airspeed = 61;
constexpr uint32_t Background = 0x123456;

// Within two steps of `want` in every channel (a picture scaled into its box
// averages its pixels).
bool closeTo(uint32_t c, uint32_t want) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((c >> shift) & 0xFF) -
                     static_cast<int>((want >> shift) & 0xFF)) > 2)
            return false;
    return true;
}

bool whiteish(uint32_t c) {
    return ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) > 200;
}

// Of the pixels on the ray from the ASI's turning point towards a face point,
// between radii 25 and 75, the share that is needle white.
double whiteAlong(const tw::Image& img, PIXPOINT towards) {
    const double cx = 145, cy = 141;
    double dx = towards.x - cx, dy = towards.y - cy, len = std::hypot(dx, dy);
    int white = 0, all = 0;
    for (double r = 25; r <= 75; r += 1, ++all)
        white += whiteish(
            img.at(static_cast<int>(cx + dx / len * r), static_cast<int>(cy + dy / len * r)));
    return static_cast<double>(white) / all;
}

TEST(Render, TheAirspeedNeedlePointsAtItsScalePoint) {
    tw::Host host;
    tw::Gauge* asi = host.createGauge("ASI");
    tw::Pictures pictures(host.module().handle());
    const PIXPOINT At250{48, 212}, At100{232, 73};

    host.setVar(Airspeed, 250);
    host.frame();
    tw::Image img = tw::renderGauge(*asi, pictures, Background);
    EXPECT_EQ(img.width, 285);  // the face at x = 9, 276 wide
    EXPECT_EQ(img.height, 276);
    EXPECT_GT(whiteAlong(img, At250), 0.8);
    EXPECT_LT(whiteAlong(img, At100), 0.2);

    host.setVar(Airspeed, 100);
    host.frame();
    img = tw::renderGauge(*asi, pictures, Background);
    EXPECT_GT(whiteAlong(img, At100), 0.8);
    EXPECT_LT(whiteAlong(img, At250), 0.2);
    // Outside the round face the transparent colour shows what lies beneath.
    EXPECT_EQ(img.at(10, 1), Background);
}

// Test gauges on the module's bitmaps: a plate with an icon over it, a slider
// and a drum strip.
extern GAUGE_HEADER testGauge;
double iconImage = 0;
double HOSTAPI iconValue(ELEMENT_HEADER*) { return iconImage; }
constexpr uint32_t Switch = 2400, Lever = 9264, Pedestal = 9360, Drum = 0x2030;
constexpr uint32_t LeverVar = 9001, DrumVar = 9002;

ELEMENT_MOVING_IMAGE drum =
    movingImage({&testGauge, Drum, 300, 20, 0}, 0, ranged(0, 0, 0), ranged(DrumVar, 0, 99));
ELEMENT_SLIDER lever =
    slider({&testGauge, Lever, 200, 300, ImageTransparent}, scaled(0, 1.0), scaled(LeverVar, 1.0));
ELEMENT_ICON switchIcon = icon({&testGauge, Switch, 0, 0, 0}, 0, iconValue, 2);
ELEMENT_HEADER* pedestalNext[] = {&switchIcon.header, &lever.header, &drum.header, nullptr};
ELEMENT_STATIC_IMAGE pedestal = staticImage({&testGauge, Pedestal, 0, 0, 0, pedestalNext});
ELEMENT_HEADER* testElements[] = {&pedestal, nullptr};
GAUGE_HEADER testGauge = bareGaugeHeader("RENDER_TEST", 100, testElements, nullptr);

TEST(Render, IconsSlidersAndDrumsShowWhatTheirValuesSelect) {
    tw::Host host;
    tw::Pictures pictures(host.module().handle());
    const tw::Picture* pedestalPic = pictures.find(Pedestal);
    const tw::Picture* on = pictures.find(Switch + 1);
    const tw::Picture* leverPic = pictures.find(Lever);
    const tw::Picture* strip = pictures.find(Drum);
    ASSERT_TRUE(pedestalPic && on && leverPic && strip);
    tw::Gauge* g = host.createGauge(&testGauge);

    auto matches = [](const tw::Image& img, const tw::Picture& p, int x0, int y0, int px0, int py0,
                      int w, int h) {
        // Over the picture's opaque pixels: its transparent colour shows what lies beneath.
        int same = 0, opaque = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint32_t want = p.at(px0 + x, py0 + y);
                if (want == 0) continue;
                ++opaque;
                same += img.at(x0 + x, y0 + y) == want;
            }
        }
        return opaque ? static_cast<double>(same) / opaque : 0.0;
    };

    iconImage = 1;
    host.setVar(LeverVar, 0);
    host.setVar(DrumVar, 30);
    host.frame();
    tw::Image img = tw::renderGauge(*g, pictures);
    EXPECT_EQ(img.width, 640);
    EXPECT_GT(matches(img, *on, 0, 0, 0, 0, on->width, on->height), 0.99);

    // A hidden icon leaves the face beneath it to be seen.
    iconImage = -1;
    host.frame();
    img = tw::renderGauge(*g, pictures);
    EXPECT_GT(matches(img, *pedestalPic, 0, 0, 0, 0, on->width, on->height), 0.99);
    EXPECT_LT(matches(img, *on, 0, 0, 0, 0, on->width, on->height), 0.9);

    // The lever picture where its offset puts it, the face where it was.
    EXPECT_GT(matches(img, *leverPic, 200, 300, 0, 0, leverPic->width, leverPic->height), 0.95);
    host.setVar(LeverVar, -120);
    host.frame();
    img = tw::renderGauge(*g, pictures);
    EXPECT_GT(matches(img, *leverPic, 200, 180, 0, 0, leverPic->width, leverPic->height), 0.95);
    EXPECT_GT(matches(img, *pedestalPic, 200, 300, 200, 300, leverPic->width, leverPic->height),
              0.95);

    // Drum value 30 of 0..99: one 40-pixel cell, from 30/99 of the strip's travel.
    const int cell = 40, top = static_cast<int>(std::lround(30.0 / 99 * (strip->height - cell)));
    EXPECT_GT(matches(img, *strip, 300, 20, 0, top, strip->width, cell), 0.99);
    EXPECT_GT(matches(img, *pedestalPic, 300, 20 + cell, 300, 20 + cell, strip->width, 20), 0.99);
}

// The weather radar over a storm ahead: its echoes show as coloured cells on
// the screen, above the screen's own picture and below its scan lines, and
// their textures tile as they scroll.
TEST(Render, RadarEchoesShowOnTheScreen) {
    constexpr uint32_t Altitude = 73;
    tw::Host host;
    host.startOffsetServer().serveWeather(
        tw::WeatherField{{{0.1667, 0, 6, {9000, 6, 5, 4}}}, {}, 0});
    host.createGauge("FLOOD_SW");
    tw::Gauge* controls = host.createGauge("radartc");
    tw::Gauge* screen = host.createGauge("radar");
    tw::Pictures pictures(host.module().handle());
    host.setVar(Altitude, 3000);
    host.frame();
    // Green or red echo pixels in the fan, against the screen's dark picture.
    auto echoes = [&] {
        tw::Image img = tw::renderGauge(*screen, pictures);
        int n = 0;
        for (int y = 40; y < 150; ++y)
            for (int x = 10; x < 158; ++x) {
                uint32_t c = img.at(x, y);
                n += ((c >> 8) & 0xFF) > 0x50 || ((c >> 16) & 0xFF) > 0x50;
            }
        return n;
    };
    const int dark = echoes();
    ASSERT_TRUE(controls->press(10, 75));  // range 20 nm
    controls->release();
    host.runTicks(80);
    EXPECT_GT(echoes(), dark + 500);

    // Flying east scrolls the cells' textures: the same echoes, another pattern.
    constexpr uint32_t Longitude = 72;
    constexpr double LongitudeUnitsPerDegree = 781875100000.0;
    const tw::Image before = tw::renderGauge(*screen, pictures);
    host.setVar(Longitude, 0.01 * LongitudeUnitsPerDegree);
    host.frame();
    EXPECT_NE(tw::renderGauge(*screen, pictures).pixels, before.pixels);
}

// ALT's barometric scale has no window bitmap: around its markings the dial
// face stays in sight.
TEST(Render, TheAltimetersScaleLeavesTheFaceInSight) {
    tw::Host host;
    tw::Gauge* alt = host.createGauge("ALT");
    tw::Pictures pictures(host.module().handle());
    const tw::Picture* face = pictures.find(0x4700);
    ASSERT_TRUE(face);
    host.frame();
    tw::Image img = tw::renderGauge(*alt, pictures);
    // The scale's corner of the dial, right of and below its top left.
    int same = 0, all = 0;
    for (int y = 200; y < 300; ++y)
        for (int x = 230; x < 300; ++x) {
            if (face->at(x, y) == 0) continue;  // beyond the dial
            ++all;
            same += img.at(x, y) == face->at(x, y);
        }
    EXPECT_GT(same, all * 9 / 10);
}

// A gauge on a panel shows the window's background through its transparent
// parts (outside its round face) and covers it with its own; the window's
// bitmap is stretched over its design size.
TEST(Render, GaugesSitOnTheWindowsBackground) {
    tw::Host host;
    tw::PanelConfig cfg = tw::parsePanelConfig(
        "[Window00]\nsize_mm=300,260\nfile=bg.bmp\ngauge00=tarnwick!ASI, 40, 30, 200, 194\n");
    std::vector<tw::PlacedGauge> placed = tw::placePanel(host, cfg);
    host.frame();
    tw::Pictures pictures(host.module().handle());
    // A background of two halves, half the window's size.
    tw::Image bg(150, 130, Background);
    for (int y = 65; y < 130; ++y)
        for (int x = 0; x < 150; ++x) bg.put(x, y, 0x654321);
    tw::Image panel = tw::drawPanel(cfg, placed, pictures, {{"Window00", bg}});
    ASSERT_EQ(panel.width, 300);
    ASSERT_EQ(panel.height, 260);
    EXPECT_EQ(panel.at(10, 10), Background);
    EXPECT_EQ(panel.at(290, 250), 0x654321u);
    // The box's corners, outside the dial: the background, top and bottom half.
    EXPECT_TRUE(closeTo(panel.at(42, 32), Background));
    EXPECT_TRUE(closeTo(panel.at(42, 220), 0x654321u));
    // The dial itself covers it.
    int covered = 0;
    for (int y = 110; y < 150; ++y)
        for (int x = 120; x < 160; ++x)
            covered += panel.at(x, y) != Background && panel.at(x, y) != 0x654321u;
    EXPECT_GT(covered, 1400);

    // The same gauge alone over what lies beneath its box, at its own size;
    // beyond the picture beneath, the panel colour.
    tw::Image beneath(100, 97, 0x0A0B0C);
    tw::Image own = tw::renderGaugeOver(*placed[0].gauge, pictures, beneath, 0, 0, 100, 97);
    tw::Image asi = tw::renderGauge(*placed[0].gauge, pictures);
    ASSERT_EQ(own.width, asi.width);
    ASSERT_EQ(own.height, asi.height);
    EXPECT_EQ(own.at(0, 0), 0x0A0B0Cu);
    EXPECT_EQ(own.at(asi.width / 2, asi.height / 2), asi.at(asi.width / 2, asi.height / 2));
    tw::Image shifted = tw::renderGaugeOver(*placed[0].gauge, pictures, beneath, 50, 50, 100, 97);
    EXPECT_EQ(shifted.at(asi.width - 1, asi.height - 1), tw::PanelColour);
    EXPECT_EQ(shifted.at(1, 1), 0x0A0B0Cu);
}

// The PNG a picture is written as reads back as the same picture; bytes that
// are no picture read as nothing.
TEST(Render, PngCarriesTheImage) {
    tw::Image img(3, 2, 0x102030);
    img.put(2, 1, 0xFFFFFF);
    auto png = tw::encodePng(img);
    ASSERT_GT(png.size(), 45u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(std::memcmp(png.data() + 12, "IHDR", 4), 0);
    EXPECT_EQ(png[19], 3);  // width
    EXPECT_EQ(png[23], 2);  // height
    auto back = tw::decodeImage(png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->width, 3);
    EXPECT_EQ(back->height, 2);
    EXPECT_EQ(back->pixels, img.pixels);
    EXPECT_FALSE(tw::decodeImage({}));
    png.resize(40);
    EXPECT_FALSE(tw::decodeImage(png));
    EXPECT_FALSE(tw::decodeImage(std::vector<uint8_t>(100, 0x42)));
}

}  // namespace

}  // namespace render_test
