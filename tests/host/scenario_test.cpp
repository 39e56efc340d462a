// Scenarios on the bundled host: the refusals before anything runs, the
// failure of a wrong expectation at its line, and what each kind of step does.

#include "host/scenario.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/cockpit.h"
#include "tests/support/wav_files.h"

namespace scenario_test {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int lineOf(const std::string& text, const std::string& line) {
    size_t at = text.find("\n" + line + "\n");
    EXPECT_NE(at, std::string::npos) << line;
    int n = 2;
    for (size_t i = 0; i < at; ++i) n += text[i] == '\n';
    return n;
}

struct Recorder : tw::ScenarioObserver {
    std::vector<tw::StepResult> results;
    int progress_reports = 0;
    void stepDone(const tw::StepResult& r) override { results.push_back(r); }
    void progress(const tw::ScenarioStep&, int64_t done, int64_t total) override {
        EXPECT_LE(done, total);
        ++progress_reports;
    }
};

}  // namespace

TEST(Scenario, AWrongExpectationInACopyOfAShippedScenarioStopsAtItsLine) {
    std::string text = readFile(std::string(TW_SOURCE_DIR) + "/scenarios/autopilot_climb.scn");
    const std::string right = "expect event 66036 500", wrong = "expect event 66036 501";
    const int line = lineOf(text, right);
    text.replace(text.find("\n" + right + "\n") + 1, right.size(), wrong);

    tw::Host host;
    Recorder r;
    const tw::Scenario copy = tw::parseScenario(text, "copy.scn");
    tw::ScenarioOutcome out = tw::runScenario(host, copy, &r);
    EXPECT_FALSE(out.passed);
    EXPECT_EQ(out.failed_line, line);
    EXPECT_EQ(out.failure, "copy.scn:" + std::to_string(line) +
                               ": expected event 66036 501, saw 6 events: 66069 0, 65792 0, "
                               "66036 500, 66115 0, 66124 60000, 66103 0");
    // Nothing after it ran.
    ASSERT_FALSE(r.results.empty());
    EXPECT_EQ(r.results.back().step->line, line);
    EXPECT_EQ(r.results.back().status, tw::StepResult::Status::Failed);
    EXPECT_EQ(host.var(103), 0.0);  // set on the line after
}

TEST(Scenario, MalformedLinesAreRefusedWithTheirNumbersBeforeAnythingRuns) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"set 61 250\nfly FLOOD_SW\n", "s:2: unknown step 'fly'"},
        {"# a comment\n\nset 61\n", "s:3: missing argument: want set ID VALUE"},
        {"set 61 fast\n", "s:1: bad value 'fast'"},
        {"set -4 1\n", "s:1: bad variable id '-4'"},
        {"ticks ten\n", "s:1: bad count 'ten'"},
        {"frames 1 2\n", "s:1: too many arguments: want frames N"},
        {"click FLOOD_SW 10 10\n",
         "s:1: FLOOD_SW is not on the panel: place it first with "
         "'gauge FLOOD_SW'"},
        {"gauge FLOOD_SW\nclick FLOOD_SW 10 x\n", "s:2: bad coordinate 'x'"},
        {"gauge FLOOD_SW\ndrag FLOOD_SW 1 2 3\n",
         "s:2: missing argument: want drag GAUGE X Y X2 "
         "Y2 [X3 Y3]..."},
        {"expect tooltip \"Engine\n", "s:1: a quote is not closed"},
        {"expect event 66301 5000000000\n", "s:1: bad event value '5000000000'"},
        {"expect no event 66301 times 3\n", "s:1: want expect no event ID [VALUE]"},
        {"expect var Nothing 1\n", "s:1: unknown shared variable 'Nothing'"},
        {"expect var StarterSeconds 22\n",
         "s:1: StarterSeconds has 4 entries: name one, StarterSeconds[0] to StarterSeconds[3]"},
        {"expect var FuelUsed[4] 0\n", "s:1: index 4 is past the end of FuelUsed"},
        {"gauge N2E2\nexpect element N2E2 6448 speed 5\n", "s:2: unknown element field 'speed'"},
        {"weather storm 1,2,3\n", "s:1: bad storm, want 7 numbers separated by commas: '1,2,3'"},
        {"set 1 1 \xB0\n", "s:1: the line is not UTF-8 text"},
        {"expect sound Sound/x.wav playing\n",
         "s:1: bad sound name 'Sound/x.wav': want the WAV file's name, as tarnwick_overspeed.wav"},
        {"expect sound x.wav loud\n",
         "s:1: want expect sound NAME playing|looping|stopped | expect sound NAME plays N"},
    };
    for (const Case& c : cases) {
        try {
            tw::parseScenario(c.text, "s");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const tw::ScenarioError& e) {
            EXPECT_EQ(std::string(e.what()), c.error);
        }
    }

    // A gauge the module lacks is found before the first line runs.
    tw::Host host;
    tw::Scenario s = tw::parseScenario("set 61 250\ngauge FLOOD_SW\ngauge NO_SUCH\n", "s");
    try {
        tw::runScenario(host, s);
        ADD_FAILURE() << "ran";
    } catch (const tw::ScenarioError& e) {
        EXPECT_EQ(std::string(e.what()), "s:3: unknown gauge 'NO_SUCH'");
        EXPECT_EQ(e.line(), 3);
    }
    EXPECT_EQ(host.var(61), 0.0);
    EXPECT_TRUE(host.gauges().empty());
}

TEST(Scenario, StepsAndExpectations) {
    twtest::ScratchFolder dir;  // the picture goes here
    const char* text = R"scn(gauge FLOOD_SW
gauge EGT1 "2"
gauge THROTTLE_QUAD
set 567 600                     # 60 degrees C
calc "(A:NOTHING)" 1
frames 1
click FLOOD_SW 10 10 times 2
expect event 66056 times 1      # flood lights on, then off
expect event 66057 0            # the same events as the line before
expect no event 66058
drag THROTTLE_QUAD 260 0 260 480
expect event 65821 18000
expect event 65821 -7000
expect no event 66056           # a new window after the last expectation
frames 1
expect element EGT1 6240 image 1
expect element EGT1 6256 value 60 within 0.2
expect element THROTTLE_QUAD 9216@194,377 image 0
expect tooltip EGT1 "Engine 1 EGT (60 °C)"
expect tooltip EGT1 100 100 "Engine 1 EGT (60 °C)"
expect var FloodLightsOn 0
time-of-day 86399.95
ticks 2
counts 3
frames 1200
render EGT1 egt.png
render panel.png
expect tooltip EGT1 "Engine 1 EGT (61 °C)"
)scn";
    tw::Host host;
    Recorder r;
    const tw::Scenario scenario = tw::parseScenario(text, "s");
    tw::ScenarioOutcome out = tw::runScenario(host, scenario, &r);
    ASSERT_EQ(r.results.size(), out.steps);
    // The last expectation fails, naming what the gauge showed, as UTF-8.
    EXPECT_EQ(out.failed_line, 28);
    EXPECT_EQ(r.results.back().expected,
              "tooltip \"Engine 1 EGT (61 \xC2\xB0"
              "C)\"");
    EXPECT_EQ(r.results.back().seen,
              "\"Engine 1 EGT (60 \xC2\xB0"
              "C)\"");
    for (const tw::StepResult& s : r.results) {
        if (s.step->line < 28) {
            EXPECT_NE(s.status, tw::StepResult::Status::Failed) << s.step->text << ": " << s.detail;
        }
    }

    // The variable expectation holds, or is skipped where the module keeps
    // its variables to itself.
    const tw::StepResult& var = r.results[20];
    ASSERT_EQ(var.step->line, 21);
    if (host.module().symbol("PowerAvailable")) {
        EXPECT_EQ(var.status, tw::StepResult::Status::Held);
    } else {
        EXPECT_EQ(var.status, tw::StepResult::Status::Skipped);
        EXPECT_EQ(var.detail, "skipped: the module exports no variables");
    }
    EXPECT_EQ(r.results[6].events.total(), 2u);  // the two clicks' events
    // The time of day ran past midnight with the ticks; the counts moved only
    // the tick counter.
    EXPECT_NEAR(host.var(557), 0.06, 1e-9);
    EXPECT_EQ(host.var(1), 5.0);
    EXPECT_GT(r.progress_reports, 0);
    EXPECT_EQ(readFile(dir.path() + "/egt.png").substr(1, 3), "PNG");
    EXPECT_EQ(readFile(dir.path() + "/panel.png").substr(1, 3), "PNG");
}

TEST(Scenario, WeatherLinesRunTheHostsWeatherServiceFromTheStart) {
    tw::Host host;
    tw::Scenario s = tw::parseScenario(
        "weather ground 0,0,50,100\nweather answers late 2\ngauge FLOOD_SW\n", "s");
    EXPECT_TRUE(s.uses_weather);
    EXPECT_TRUE(tw::runScenario(host, s).passed);
    ASSERT_NE(host.offsetServer(), nullptr);
    ASSERT_EQ(host.offsetServer()->weatherField().ground.size(), 1u);
    EXPECT_EQ(host.offsetServer()->weatherField().ground[0].elevation_m, 100.0);
}

TEST(Scenario, TooltipBytesBecomeUtf8) {
    EXPECT_EQ(tw::latin1ToUtf8("88 \xB0"
                               "C"),
              "88 \xC2\xB0"
              "C");
    EXPECT_EQ(tw::latin1ToUtf8("\x80\x81\xFF"), "\xE2\x82\xAC\xC2\x81\xC3\xBF");
}

// Sounds found on the sound device by their files' contents: the test files
// are a few milliseconds long, so a tick outlasts them.
TEST(Scenario, SoundsAreFoundOnTheDeviceByTheirFiles) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    const char* text = R"scn(set 364 1
set 63 44800
gauge FLOOD_SW
gauge OVRSPD_WARN
ticks 1
set 61 400
frames 2
expect sound TARNWICK_overspeed.WAV playing
expect sound tarnwick_overspeed.wav plays 2
expect sound brennel_altwarn.wav stopped
set 61 300
ticks 1
expect sound tarnwick_overspeed.wav stopped
expect sound tarnwick_overspeed.wav plays 0
expect sound no_such.wav stopped
)scn";
    tw::Host host;
    Recorder r;
    tw::ScenarioOutcome out = tw::runScenario(host, tw::parseScenario(text, "s"), &r);
    ASSERT_EQ(r.results.size(), 15u);
#if defined(_WIN32)
    EXPECT_TRUE(out.passed);
    EXPECT_EQ(out.skipped, 6u);
    EXPECT_EQ(r.results[7].detail, "skipped: the host cannot see the sound device here");
#else
    EXPECT_EQ(out.failed_line, 15);
    EXPECT_EQ(out.held, 5u);
    const tw::StepResult& playing = r.results[7];
    ASSERT_TRUE(playing.sound && r.results[9].sound);
    EXPECT_EQ(playing.sound->buffers, 1u);
    EXPECT_EQ(playing.sound->state, "playing");
    EXPECT_EQ(r.results[9].sound->buffers, 2u);  // one file loaded into two handles
    EXPECT_EQ(r.results[12].detail, "tarnwick_overspeed.wav stopped, 0 plays, volume 0");
    EXPECT_EQ(out.failure,
              "s:15: expected sound no_such.wav stopped, saw no sound file Sound/no_such.wav in "
              "the working directory, where the module loads its sounds from");
#endif
}

}  // namespace scenario_test
