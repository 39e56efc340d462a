// The weather radar's sampling: cell geometry, echo and smoothing, and step 9
// of the systems tick against the host's weather service.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "host/host.h"
#include "systems/weather_radar.h"
#include "tests/support/module_api.h"

namespace radar_sampling_test {

namespace {

constexpr uint32_t Latitude = 71, Longitude = 72, Altitude = 73, Pitch = 77, Bank = 79,
                   Heading = 86;
constexpr double LongitudeUnits = 781875100000.0;
constexpr double DegreesPerRadian = 57.29577866666166;
constexpr double EarthNm = 3437.7;

using PositionFn = RadarPosition (*)(int32_t);
using EchoFn = int32_t (*)(const uint8_t*, double);
using SmoothFn = int32_t (*)(int32_t);

int sweepPositionOf(int32_t code) {
    for (int i = 0; i < RadarCellsInSweep; ++i)
        if (RADAR_CELL_CODES[i] == code) return i;
    return -1;
}

// A weather report with one layer.
struct Block {
    uint8_t bytes[RadarBlockSize] = {};
    Block& ground(int32_t raw) {
        std::memcpy(bytes + 0x20, &raw, 4);
        return *this;
    }
    Block& layer(int k, uint16_t top, uint8_t amount, uint8_t kind, uint8_t intensity) {
        uint8_t* l = bytes + 0x280 + 16 * k;
        std::memcpy(l, &top, 2);
        l[6] = amount;
        l[7] = kind;
        l[13] = intensity;
        return *this;
    }
};

bool has(const std::vector<int32_t>& v, int32_t code) {
    for (int32_t c : v)
        if (c == code) return true;
    return false;
}

// The radar on at 20 nm with the offset service connected, over a weather field.
struct Sampling {
    tw::Host host;
    tw::OffsetServer& server;
    tw::Gauge* controls;
    tw::Gauge* display;
    explicit Sampling(tw::WeatherField field = {}) : server(host.startOffsetServer()) {
        server.serveWeather(std::move(field));
        host.createGauge("FLOOD_SW");
        controls = host.createGauge("radartc");
        display = host.createGauge("radar");
        EXPECT_TRUE(controls->press(10, 75));  // range 20
        host.frame();
    }
    int32_t& sweep() { return moduleVar<int32_t>(host, "RadarSweepIndex"); }
    int32_t& echo(int32_t code) { return (&moduleVar<int32_t>(host, "RadarCellEcho"))[code]; }
    RadarPosition position(int32_t code) {
        return moduleFn<PositionFn>(host, "radarCellPosition")(code);
    }
    // The cells whose sprites the display shows.
    std::vector<int32_t> cellsShowingWeather() {
        std::vector<int32_t> out;
        for (const auto& s : display->drawState()) {
            if (s.type != ElementSprite || s.hidden) continue;
            auto code = static_cast<int32_t>(
                reinterpret_cast<ELEMENT_SPRITE*>(s.element)->offset_x.source_var.id);
            if (!has(out, code)) out.push_back(code);
        }
        return out;
    }
};

}  // namespace

TEST(RadarSampling, CellsLieWhereTheFanPutsThemAndTurnWithTheHeading) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    auto position = moduleFn<PositionFn>(host, "radarCellPosition");
    auto height = moduleFn<double (*)(int32_t)>(host, "radarCellDistance");
    // Level, at sea level on the equator: x east and y north, on a sphere.
    struct Case {
        int32_t code;
        double range, x, y;
    };
    for (Case c : {Case{31, 20, 20.0 / 16, 20.0 / 30}, Case{31, 50, 50.0 / 16, 50.0 / 30},
                   Case{112, 20, -8 * 20.0 / 16, 10 * 20.0 / 30}}) {
        moduleVar<double>(host, "RadarRange") = c.range;
        RadarPosition p = position(c.code);
        EXPECT_NEAR(std::tan(p.longitude / DegreesPerRadian) * EarthNm, c.x, 1e-9) << c.code;
        EXPECT_NEAR(std::tan(p.latitude / DegreesPerRadian) * std::hypot(EarthNm, c.x), c.y, 1e-9);
        EXPECT_NEAR(height(c.code), (std::hypot(EarthNm, c.x, c.y) - EarthNm) * 1852.5, 1e-6);
    }

    // The longitude is the host's in degrees, added and brought into -180..180.
    moduleVar<double>(host, "RadarRange") = 20;
    host.setVar(Longitude, 181 * LongitudeUnits);
    EXPECT_EQ(position(60).longitude, -179.0);  // straight ahead
    host.setVar(Longitude, -190 * LongitudeUnits);
    EXPECT_EQ(position(60).longitude, 170.0);
    host.setVar(Longitude, 10 * LongitudeUnits);
    EXPECT_EQ(position(60).longitude, 10.0);
    host.setVar(Longitude, 1e300);
    EXPECT_LE(std::fabs(position(60).longitude), 180.0);

    // Pitched and banked, the fan turns with the heading as one piece: a
    // quarter turn right puts north where east was.
    host.setVar(Longitude, 0);
    host.setVar(Pitch, 10);
    host.setVar(Bank, 20);
    for (int32_t code : {31, 112, 217}) {
        RadarPosition ahead = position(code);
        host.setVar(Heading, 90);
        RadarPosition turned = position(code);
        host.setVar(Heading, 0);
        EXPECT_NEAR(turned.longitude, ahead.latitude, 1e-6) << code;
        EXPECT_NEAR(turned.latitude, -ahead.longitude, 1e-6) << code;
    }
}

TEST(RadarSampling, EchoCodesComeFromTheLayersTheBeamMeets) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    auto echo = moduleFn<EchoFn>(host, "radarCellEchoCode");
    int32_t& gain = moduleVar<int32_t>(host, "RadarGain");
    ASSERT_EQ(gain, 3);  // near limit 2, far limit 4
    EXPECT_EQ(echo(Block().layer(0, 3000, 6, 4, 3).bytes, 2999), 6);
    EXPECT_EQ(echo(Block().layer(0, 3000, 6, 4, 4).bytes, 2999), 66);
    EXPECT_EQ(echo(Block().layer(0, 3000, 6, 4, 4).bytes, 3000), 0);  // top not above
    EXPECT_EQ(echo(Block().layer(0, 3000, 6, 3, 4).bytes, 0), 0);     // a dry kind
    EXPECT_EQ(echo(Block().layer(3, 900, 2, 9, 9).layer(23, 900, 7, 5, 2).bytes, 0), 27);
    gain = 4;
    EXPECT_EQ(echo(Block().layer(0, 3000, 6, 4, 3).bytes, 0), 66);
    gain = 1;  // near limit 4, far limit 5
    EXPECT_EQ(echo(Block().layer(0, 3000, 6, 4, 4).bytes, 0), 6);
    EXPECT_EQ(echo(Block().layer(0, 3000, 6, 4, 3).bytes, 0), 0);

    // Ground above the beam, in whole metres toward zero.
    EXPECT_EQ(echo(Block().ground(500 * 65536).layer(0, 3000, 6, 4, 9).bytes, 499.9), -99);
    EXPECT_EQ(echo(Block().ground(500 * 65536 + 65535).bytes, 500), 0);
    EXPECT_EQ(echo(Block().ground(-10 * 65536 - 30000).bytes, -10.2), -99);
    EXPECT_EQ(echo(Block().bytes, -0.5), -99);  // no report: the sea
    EXPECT_EQ(echo(Block().bytes, std::nan("")), 0);
}

TEST(RadarSampling, SmoothingSpreadsEchoesAndGroundReturnToTheNeighbours) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    auto smooth = moduleFn<SmoothFn>(host, "radarCellSmooth");
    int32_t* echo = &moduleVar<int32_t>(host, "RadarCellEcho");
    const int centre = sweepPositionOf(116), beside = sweepPositionOf(114),
              far = sweepPositionOf(217), corner = sweepPositionOf(112);

    // The cell's own echo counts twice, each of its six neighbours' once.
    echo[116] = 66;
    EXPECT_EQ(smooth(centre), 11);
    EXPECT_EQ(smooth(beside), 1);
    EXPECT_EQ(smooth(far), 0);

    echo[116] = -99;
    EXPECT_EQ(smooth(centre), 11);
    EXPECT_EQ(smooth(beside), 11);  // raised by the ground next to it
    EXPECT_EQ(smooth(far), 0);
    echo[116] = 0;
    echo[112] = -99;  // three neighbours only
    EXPECT_EQ(smooth(corner), 12);
    // Ground all round returns less than ground in half the cells.
    for (int32_t code : {83, 114, 143}) echo[code] = -99;
    EXPECT_EQ(smooth(corner), 0);
    echo[83] = 88;
    echo[114] = 2805;  // stronger than any level
    EXPECT_EQ(smooth(corner), 55);
    EXPECT_EQ(smooth(-5), smooth(0));
    EXPECT_EQ(smooth(1000), smooth(70));
}

TEST(RadarSampling, AFullSweepDrawsTheStormAheadAndBankingMovesItAtOnce) {
    tw::WeatherField field;
    tw::StormCell storm;
    storm.latitude = 10.0 / 60;  // 10 nm ahead
    storm.radius_nm = 6;
    storm.layer = {3600, 6, 5, 4};
    field.storms.push_back(storm);
    Sampling r(field);
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.setVar(Altitude, 3000);
    r.host.runTicks(RadarCellsInSweep + 1);
    EXPECT_EQ(r.sweep(), 1);

    // Inside the storm weather shows; where neither a cell nor any cell
    // touching it lies inside, nothing does.
    auto inside = [&](int32_t code, double margin) {
        RadarPosition p = r.position(code);
        return tw::distanceNm(p.latitude, p.longitude, storm.latitude, 0) <
               storm.radius_nm + margin;
    };
    std::vector<int32_t> shown = r.cellsShowingWeather();
    int insideCount = 0, clearCount = 0;
    for (int32_t code : RADAR_CELL_CODES) {
        bool near = false;
        for (int32_t other : RADAR_CELL_CODES)
            near = near || ((other == code || radarCellsTouch(code, other)) && inside(other, 0.3));
        if (inside(code, -0.3)) {
            ++insideCount;
            EXPECT_TRUE(has(shown, code)) << code;
        } else if (!near) {
            ++clearCount;
            EXPECT_FALSE(has(shown, code)) << code;
        }
    }
    EXPECT_GE(insideCount, 15) << clearCount;
    EXPECT_GE(clearCount, 15) << insideCount;

    // Banked 8 degrees, the beam rises over the right of the fan, above the
    // storm's top from 2.5 nm right of the track, and sinks on the left: within
    // one tick, from the stored reports.
    r.host.setVar(Bank, 8);
    const unsigned batches = r.server.batches();
    r.host.runTicks(1);
    // An answered tick: one message for the read, one for the request's writes.
    EXPECT_EQ(r.server.batches(), batches + 2);
    EXPECT_EQ(r.server.lastBatchOffsets(), (std::vector<uint32_t>{0xCC10, 0xCC18, 0xCC08, 0xCC04}));
    std::vector<int32_t> banked = r.cellsShowingWeather();
    int left = 0, right = 0;
    for (int32_t code : shown) {
        if (radarCellColumn(code) <= 6) {
            ++left;
            EXPECT_TRUE(has(banked, code)) << code;
        } else if (radarCellColumn(code) >= 12) {
            ++right;
            EXPECT_FALSE(has(banked, code)) << code;
        }
    }
    EXPECT_GE(left, 5);
    EXPECT_GE(right, 5);
    EXPECT_EQ(r.sweep(), 2);
}

TEST(RadarSampling, WithoutAnswersTheSweepWaitsAndThePictureStillFollows) {
    tw::WeatherField field;
    tw::StormCell storm;
    storm.latitude = 10.0 / 60;
    storm.radius_nm = 30;
    storm.layer = {1500, 6, 5, 4};
    field.storms.push_back(storm);
    Sampling r(field);
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.runTicks(RadarCellsInSweep + 1);
    ASSERT_EQ(r.cellsShowingWeather().size(), size_t{RadarCellsInSweep});

    r.server.setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Never);
    r.host.runTicks(1);
    const int32_t waiting = r.sweep();
    const unsigned asked = r.server.weatherRequests();
    r.host.runTicks(10);
    EXPECT_EQ(r.sweep(), waiting);
    EXPECT_EQ(r.server.weatherRequests(), asked);
    EXPECT_EQ(r.server.lastBatchOffsets(), std::vector<uint32_t>{0xCC00});
    // A failed exchange answers nothing either.
    r.server.setBehaviour(tw::OffsetServer::Behaviour::AnswerZero);
    r.host.runTicks(3);
    EXPECT_EQ(r.sweep(), waiting);

    // Tilted up 15 degrees the beam passes over the storm's top beyond the
    // second row, whose weather shows on the third: the picture follows
    // without a single new report.
    ASSERT_TRUE(r.controls->press(95, 100));
    r.controls->repeat(14);
    r.controls->release();
    r.host.runTicks(1);
    std::vector<int32_t> tilted = r.cellsShowingWeather();
    for (int32_t code : RADAR_CELL_CODES)
        EXPECT_EQ(has(tilted, code), radarCellRow(code) <= 2) << code;
    EXPECT_EQ(r.sweep(), waiting);
}

TEST(RadarSampling, TheSweepWrapsAfterPosition70AndLateAnswersSlowIt) {
    Sampling r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.setVar(Latitude, 5e6);
    r.host.setVar(Heading, 45);
    r.sweep() = 70;
    r.host.runTicks(1);  // the first block always answers
    EXPECT_EQ(r.sweep(), 0);
    ASSERT_TRUE(r.server.lastWeatherRequest());
    RadarPosition first = r.position(112);
    EXPECT_EQ(r.server.lastWeatherRequest()->latitude, first.latitude);
    EXPECT_EQ(r.server.lastWeatherRequest()->longitude, first.longitude);
    r.host.runTicks(2);
    EXPECT_EQ(r.sweep(), 2);

    // Two batches late: a cell every third tick.
    r.server.setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Late, 2);
    r.host.runTicks(1);  // the answer already due
    r.host.runTicks(9);
    EXPECT_EQ(r.sweep(), 6);
}

TEST(RadarSampling, GarbageAndNotANumberGiveDefinedPictures) {
    Sampling r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.server.setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Garbage);
    r.host.runTicks(2 * RadarCellsInSweep);
    EXPECT_EQ(r.sweep(), (2 * RadarCellsInSweep) % RadarCellsInSweep);
    auto inRange = [&] {
        for (int32_t code : RADAR_CELL_CODES) {
            int32_t e = r.echo(code), shade = (&moduleVar<int32_t>(r.host, "RadarCellShade"))[code];
            if (!(e == -99 || (e >= 0 && e <= 2805)) || shade < 0 || shade % 10 > 6 || shade > 56)
                return false;
        }
        return true;
    };
    EXPECT_TRUE(inRange());

    // A position that is not a number is not asked for; the sweep goes on
    // once the attitude is one again.
    r.server.setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Prompt);
    r.host.setVar(Pitch, std::nan(""));
    r.host.runTicks(1);  // answers the last request, asks for nothing
    const int32_t waiting = r.sweep();
    const unsigned asked = r.server.weatherRequests();
    r.host.runTicks(3);
    EXPECT_EQ(r.server.weatherRequests(), asked);
    EXPECT_EQ(r.sweep(), waiting);
    EXPECT_TRUE(inRange());
    r.host.setVar(Pitch, 0);
    r.host.runTicks(2);
    EXPECT_EQ(r.server.weatherRequests(), asked + 2);
    EXPECT_EQ(r.sweep(), waiting + 1);
}

}  // namespace radar_sampling_test

#endif  // !_WIN32
