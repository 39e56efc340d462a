// Scenarios: whole sequences of a panel written as plain text, one step a line,
// run against the bundled host. The script plays the simulator's part: it sets
// host variables (an engine running, its N2) after the module has sent the
// events that would make the simulator do so, and lets time pass.
//
// Steps (words separated by blanks; "..." quotes a word, with \" and \\ inside;
// # starts a comment outside quotes; numbers are decimal or 0x hexadecimal):
//
//   gauge NAME ["PARAMETERS"]        place a gauge (FLOOD_SW starts the timer)
//   set ID VALUE                     a host variable (nan and inf allowed)
//   calc "EXPRESSION" VALUE          what the host's calculator gives for it
//   click GAUGE X Y [times N]        left press and release, N times in a row
//   drag GAUGE X Y X2 Y2 [X3 Y3]...  press, drag through the points, release
//   frames N                         N frames of every gauge
//   ticks N                          N periods of the systems timer, a frame each
//   counts N                         the host's tick counter N counts on, a
//                                    frame each, the systems timer standing still
//   time-of-day SECONDS              variable 557 from here, running with ticks
//   weather storm LAT,LON,RADIUS_NM,TOP_M,KIND,AMOUNT,INTENSITY
//   weather ground LAT,LON,RADIUS_NM,ELEVATION_M
//   weather clear | weather answers prompt|never|garbage|late N
//   render [GAUGE] FILE.png          a picture of a gauge, or of every gauge
//   expect event ID [VALUE] [times N]
//   expect no event ID [VALUE]
//   expect tooltip GAUGE [X Y] "TEXT"
//   expect var NAME[INDEX] VALUE [within TOLERANCE]
//   expect element GAUGE BITMAP[INDEX] FIELD VALUE [within TOLERANCE]
//   expect element GAUGE BITMAP@X,Y shown|hidden
//   expect sound NAME playing|looping|stopped
//   expect sound NAME plays N
//
// An event expectation looks at the events sent since the expectation before
// it (or the start); several expectations in a row look at the same events.
// A sound is named by its WAV file as the module loads it from the Sound
// folder of the working directory (the simulator's folder), without regard to
// case, and found among the sound device's buffers by their contents: playing
// is once, looping is in a loop, stopped is neither; plays counts the device's
// Play calls on it in the same window as the events. Only the Linux stand-in
// lets the host see the device: elsewhere the expectation is skipped.
// An element is picked by its bitmap number, the INDEX-th from 0 of those with
// that bitmap or the one drawn at (X,Y); FIELD is value, angle, image,
// offset_x, offset_y, value_x, value_y, fraction_x, fraction_y or rotation, read
// from the last frame. Indices count from 0 as the module's arrays do:
// StarterSeconds[1] is engine 2. Numbers compare equal within 1e-9 unless a
// tolerance is given. Any weather line runs the host's weather service from
// the start, so that the master gauge finds it when it connects.
//
// Every line is read and every gauge name checked before anything runs; a line
// that cannot be run is refused with its number. An expectation that fails
// stops the run with its line number, what was expected and what was seen.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "host/weather_field.h"

namespace tw {

// A line that cannot be run: "FILE:LINE: what".
class ScenarioError : public std::runtime_error {
public:
    ScenarioError(const std::string& file, int line, const std::string& what)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// The element fields an expectation can read.
enum class ElementField {
    Value,
    Angle,
    Image,
    OffsetX,
    OffsetY,
    ValueX,
    ValueY,
    FractionX,
    FractionY,
    Rotation,
    Shown,
    Hidden,
};

struct ScenarioStep {
    enum class Kind {
        Gauge,
        Set,
        Calc,
        Click,
        Drag,
        Frames,
        Ticks,
        Counts,
        TimeOfDay,
        Weather,
        Render,
        ExpectEvent,
        ExpectNoEvent,
        ExpectTooltip,
        ExpectVar,
        ExpectElement,
        ExpectSound,
    };
    Kind kind = Kind::Frames;
    int line = 0;
    std::string text;  // the line as written, without its comment

    std::string gauge;   // the gauge a step places, presses or reads
    std::string words;   // parameters, expression, tooltip, file, variable or sound name
    uint32_t id = 0;     // host variable, event, or an element's bitmap
    double value = 0.0;  // variable value, calculator result, expected value
    std::optional<uint32_t> event_value;  // an event's value as its 32-bit pattern
    std::optional<double> tolerance;
    int64_t count = 0;             // frames, ticks, counts, presses, late batches
    std::optional<int64_t> times;  // how often an event is expected, when said
    std::vector<PIXPOINT> points;  // press and drag points, an element's or tooltip's point
    size_t index = 0;              // array index of a variable, or of an element among its bitmap
    ElementField field = ElementField::Value;
    enum class Sound { Playing, Looping, Stopped, Plays } sound = Sound::Stopped;
    // Weather lines.
    enum class Weather { Storm, Ground, Clear, Answers } weather = Weather::Clear;
    StormCell storm;
    GroundArea ground;
    OffsetServer::WeatherAnswers answers = OffsetServer::WeatherAnswers::Prompt;

    bool isExpectation() const { return kind >= Kind::ExpectEvent; }
};

struct Scenario {
    std::string file;  // as messages name it
    std::vector<ScenarioStep> steps;
    bool uses_weather = false;
};

// Throws ScenarioError at the first line that cannot be run.
Scenario parseScenario(std::string_view text, const std::string& file = "scenario");
// The same from a file; a file that cannot be read throws std::runtime_error.
Scenario readScenario(const std::string& path);
// Throws ScenarioError at the first line naming a gauge the module lacks.
void checkScenario(const Scenario& scenario, const Module& module);

// Events counted by id and value, the first few distinct ones in the order
// they were first sent.
class EventTally {
public:
    static constexpr size_t Kept = 12;
    void add(const SentEvent& e);
    void clear() { *this = EventTally{}; }
    uint64_t total() const { return total_; }
    // How often `id` went out, with `value` when given.
    uint64_t count(uint32_t id, std::optional<uint32_t> value = std::nullopt) const;
    const std::vector<std::pair<SentEvent, uint64_t>>& first() const { return first_; }
    // "66302 0 x54, 65993 0" ("no events" when empty); values as signed numbers.
    std::string text() const;

private:
    std::map<std::pair<uint32_t, uint32_t>, uint64_t> counts_;
    std::vector<std::pair<SentEvent, uint64_t>> first_;
    uint64_t total_ = 0;
};

// What one step did or found.
struct StepResult {
    enum class Status { Done, Held, Failed, Skipped };
    const ScenarioStep* step = nullptr;  // in the scenario run, valid while it lives
    Status status = Status::Done;
    std::string detail;          // what was done, seen, or why it failed
    std::string expected, seen;  // a failed expectation's two sides
    EventTally events;           // what the step sent
    // What a sound expectation found on the sound device.
    struct SoundSeen {
        std::string name;
        size_t buffers = 0;  // the device's buffers holding the file's sound
        std::string state;   // playing, looping or stopped
        uint64_t plays = 0;  // Play calls in the expectation's window
        long volume = 0;     // hundredths of a decibel, of the buffer that sounds (or the first)
    };
    std::optional<SoundSeen> sound;
};

// Told of each step as it ends, and of long steps as they go.
class ScenarioObserver {
public:
    virtual ~ScenarioObserver() = default;
    virtual void stepDone(const StepResult& result) = 0;
    virtual void progress(const ScenarioStep& /*step*/, int64_t /*done*/, int64_t /*total*/) {}
};

struct ScenarioOutcome {
    bool passed = true;
    int failed_line = 0;  // 0 when every expectation held
    std::string failure;  // "FILE:LINE: expected ..., saw ..."
    size_t steps = 0, held = 0, skipped = 0;
};

// Runs the scenario on a fresh host. Throws ScenarioError before anything
// runs for a gauge the module lacks.
ScenarioOutcome runScenario(Host& host, const Scenario& scenario,
                            ScenarioObserver* observer = nullptr);

// Windows Latin-1 (code page 1252) bytes as UTF-8, as tooltips are compared
// and printed.
std::string latin1ToUtf8(std::string_view bytes);

}  // namespace tw
