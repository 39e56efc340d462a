// tarnwick_cli: the module on the bundled host, from the command line. The
// parts: main.cpp reads the command line (CLI11), options.cpp turns option
// texts into values, panel.cpp places gauges and lets time pass, output.cpp
// prints draw states, events and tooltips as text or JSON, commands.cpp and
// radar.cpp are the commands, run.cpp runs scenarios.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <memory>

#include <nlohmann/json.hpp>

#include "host/host.h"
#include "host/weather_field.h"

namespace twcli {

using Json = nlohmann::ordered_json;

// A refusal of the command line: exit status 2, with the message.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A press that --at schedules once `tick` periods have run.
struct TimedPress {
    int tick = 0;
    std::string gauge;
    PIXPOINT point{};
};

// What the options of a command ask for, read and checked.
struct Options {
    // As given on the command line.
    std::string gauge;
    std::vector<int32_t> coordinates;  // click, tooltip: X Y; drag: the path
    std::string panel_file;            // render-panel
    std::string art_folder;            // render-panel: backgrounds
    int window = 0;                    // render-panel: 1.., 0 all
    bool sheet = false;                // render-panel: the contact sheet
    int columns = 6;
    std::string scenario_file;  // run
    std::vector<std::string> var_texts, calc_texts, storm_texts, ground_texts, click_texts,
        at_words, with;
    std::string param, module, out;
    int frames = 1;
    int ticks = 0;
    bool ticks_given = false;
    int every = 0;
    std::optional<double> time_of_day;
    int radar_range = -1;  // -1: leave the selector alone
    bool json = false;

    // Read from the texts by finish().
    std::vector<std::pair<uint32_t, double>> vars;
    std::vector<std::pair<std::string, double>> calculations;
    std::vector<PIXPOINT> clicks;
    std::vector<TimedPress> presses;
    tw::WeatherField field;
    bool weather = false;  // a storm or ground area was given

    // Turns the option texts into values; throws UsageError naming the option.
    void finish();
};

// ---- The panel --------------------------------------------------------------------
// A host on the module the options name, with their variables, calculator
// results and weather service.
std::unique_ptr<tw::Host> makeHost(const Options& o, bool weather_service);
// The gauge already on the panel, or a new one; unknown names are refused.
tw::Gauge* place(tw::Host& host, const std::string& name);
tw::Gauge* findPlaced(tw::Host& host, const std::string& name);
// The command's gauge, with the master gauge first when ticks run, then those
// of --with and --at.
tw::Gauge* placeNamed(tw::Host& host, const Options& o);
// A point of the gauge, refused when it lies outside it.
PIXPOINT pointOn(const tw::Gauge& g, int32_t x, int32_t y);
void pressAt(tw::Gauge& g, PIXPOINT p);
// The --ticks periods with the --at presses between them, then --frames frames.
void runAfter(tw::Host& host, const Options& o);
// Turns radartc's range selector to `position` (nothing for -1).
void selectRadarRange(tw::Host& host, tw::Gauge* controls, int position);

// ---- Output -----------------------------------------------------------------------
// A number as the JSON output writes it: whole numbers without a fraction,
// others to ten significant digits, what is no number as 0.
Json jsonNumber(double v);
std::string textNumber(double v);
// Tooltip bytes (Windows Latin-1) as a UTF-8 string.
std::string utf8(const std::string& latin1);
Json eventsJson(const tw::Host& host);
void printEvents(const tw::Host& host, const Options& o);
// With events (a JSON array), the JSON form carries them too.
void printState(const tw::Gauge& g, const Options& o, const Json* events = nullptr);
void printJson(const Json& j);

// ---- Commands ---------------------------------------------------------------------
int listCommand(const Options& o);
int showCommand(const Options& o);
int clickCommand(const Options& o);
int dragCommand(const Options& o);
int tooltipCommand(const Options& o);
int renderCommand(const Options& o);
int renderPanelCommand(const Options& o);
int radarCommand(const Options& o);
int runCommand(const Options& o);

}  // namespace twcli
