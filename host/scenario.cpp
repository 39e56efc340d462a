#include "host/scenario.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <type_traits>
#include <utility>

#include "framework/panel_state.h"
#include "host/render.h"

#if !defined(_WIN32)
#include <cctype>
#include <cstring>
#include <filesystem>

#include "platform/linux/stand_in.h"
#endif

namespace tw {

namespace {

using Kind = ScenarioStep::Kind;

// ---- Shared variables by name ---------------------------------------------------
// The module-wide variables a scenario may read, their types taken from their
// declarations (nothing here is linked against the module).

enum class VarType { U8, I32, U32, F64 };

struct SharedVar {
    const char* name;
    VarType type;
    size_t count;  // 1 for a scalar
};

template <typename T>
constexpr VarType varType() {
    using E = std::remove_cv_t<std::remove_all_extents_t<T>>;
    static_assert(std::is_same_v<E, uint8_t> || std::is_same_v<E, int32_t> ||
                      std::is_same_v<E, uint32_t> || std::is_same_v<E, double>,
                  "a shared variable of a type scenarios cannot read");
    if constexpr (std::is_same_v<E, uint8_t>) return VarType::U8;
    if constexpr (std::is_same_v<E, int32_t>) return VarType::I32;
    if constexpr (std::is_same_v<E, uint32_t>) return VarType::U32;
    return VarType::F64;
}

#define TW_SHARED(v)                                                        \
    SharedVar {                                                             \
#v, varType < decltype(v)>(),                                       \
            std::extent_v < decltype(v)> ? std::extent_v < decltype(v)> : 1 \
    }

constexpr SharedVar SharedVars[] = {
    TW_SHARED(IpcConnected),      TW_SHARED(IpcResult),
    TW_SHARED(HostHasSimObjects), TW_SHARED(PowerAvailable),
    TW_SHARED(BatterySwitch),     TW_SHARED(ExternalPowerAvailable),
    TW_SHARED(ExternalPowerOn),   TW_SHARED(ExternalAirConnected),
    TW_SHARED(StarterSwitch),     TW_SHARED(StarterEngaged),
    TW_SHARED(StarterSeconds),    TW_SHARED(StartArm),
    TW_SHARED(StarterPressure),   TW_SHARED(StartLeverOpen),
    TW_SHARED(FuelLeverTime),     TW_SHARED(LightOffActive),
    TW_SHARED(FuelUsed),          TW_SHARED(ApVerticalMode),
    TW_SHARED(ApHorizontalMode),  TW_SHARED(ApEngageSwitch),
    TW_SHARED(ApRollKnob),        TW_SHARED(ApBankTarget),
    TW_SHARED(ApRollCommand),     TW_SHARED(ApVsTarget),
    TW_SHARED(ApCurrentVs),       TW_SHARED(ApVsCommand),
    TW_SHARED(ApVsCommandLast),   TW_SHARED(ApSpeedReference),
    TW_SHARED(ApMachReference),   TW_SHARED(ApHeadingSnapshot),
    TW_SHARED(RadarPower),        TW_SHARED(RadarRange),
    TW_SHARED(RadarGain),         TW_SHARED(RadarTilt),
    TW_SHARED(RadarCellEcho),     TW_SHARED(RadarCellShade),
    TW_SHARED(AlerterAltitude),   TW_SHARED(AlerterDeviation),
    TW_SHARED(PitotHeaterInop),   TW_SHARED(PitotHeaterInopDeadline),
    TW_SHARED(FloodLightsOn),
};
#undef TW_SHARED

const SharedVar* findSharedVar(std::string_view name) {
    for (const SharedVar& v : SharedVars)
        if (name == v.name) return &v;
    return nullptr;
}

double readVar(const void* base, const SharedVar& v, size_t index) {
    switch (v.type) {
        case VarType::U8:
            return static_cast<const uint8_t*>(base)[index];
        case VarType::I32:
            return static_cast<const int32_t*>(base)[index];
        case VarType::U32:
            return static_cast<const uint32_t*>(base)[index];
        case VarType::F64:
            return static_cast<const double*>(base)[index];
    }
    return 0.0;
}

// ---- Reading lines --------------------------------------------------------------

bool validUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t n = 0;
        uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 1, cp = c & 0x1Fu;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, cp = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3, cp = c & 0x07u;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k) {
            auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3Fu);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

struct Words {
    std::vector<std::string> list;
    std::string text;  // the line without its comment, trimmed
};

class LineReader {
public:
    LineReader(const std::string& file, int line) : file_(file), line_(line) {}
    [[noreturn]] void refuse(const std::string& what) const {
        throw ScenarioError(file_, line_, what);
    }

    // Words separated by blanks, "..." quoting; # outside quotes ends the line.
    Words split(std::string_view line) const {
        Words w;
        size_t end = line.size();
        std::string word;
        bool in_word = false, quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            char c = line[i];
            if (quoted) {
                if (c == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    word += line[++i];
                } else if (c == '"') {
                    quoted = false;
                } else {
                    word += c;
                }
                continue;
            }
            if (c == '#') {
                end = i;
                break;
            }
            if (c == ' ' || c == '\t' || c == '\r') {
                if (in_word) w.list.push_back(std::move(word));
                word.clear();
                in_word = false;
            } else if (c == '"') {
                quoted = in_word = true;
            } else {
                word += c;
                in_word = true;
            }
        }
        if (quoted) refuse("a quote is not closed");
        if (in_word) w.list.push_back(std::move(word));
        std::string_view kept = line.substr(0, end);
        size_t a = kept.find_first_not_of(" \t\r"), b = kept.find_last_not_of(" \t\r");
        if (a != std::string_view::npos) w.text = std::string(kept.substr(a, b - a + 1));
        return w;
    }

    long long integer(const std::string& word, const char* what, long long lo, long long hi) const {
        char* end = nullptr;
        errno = 0;
        long long v = std::strtoll(word.c_str(), &end, 0);
        if (word.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi)
            refuse(std::string("bad ") + what + " '" + word + "'");
        return v;
    }

    double number(const std::string& word, const char* what, bool any = false) const {
        char* end = nullptr;
        double v = std::strtod(word.c_str(), &end);
        if (word.empty() || *end != '\0' || (!any && !std::isfinite(v)))
            refuse(std::string("bad ") + what + " '" + word + "'");
        return v;
    }

    uint32_t id(const std::string& word, const char* what) const {
        if (!word.empty() && word[0] == '-') refuse(std::string("bad ") + what + " '" + word + "'");
        return static_cast<uint32_t>(integer(word, what, 0, 0xFFFFFFFFLL));
    }

    int32_t coordinate(const std::string& word) const {
        return static_cast<int32_t>(integer(word, "coordinate", -100000, 100000));
    }

    std::vector<double> list(const std::string& word, size_t count, const char* what) const {
        std::vector<double> out;
        size_t start = 0;
        while (true) {
            size_t comma = word.find(',', start);
            out.push_back(number(word.substr(start, comma - start), what));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        if (out.size() != count)
            refuse(std::string("bad ") + what + ", want " + std::to_string(count) +
                   " numbers separated by commas: '" + word + "'");
        return out;
    }

    template <typename T>
    T whole(double v, const char* what, double hi) const {
        if (v < 0 || v > hi || v != std::floor(v))
            refuse(std::string("bad ") + what + " " + std::to_string(v));
        return static_cast<T>(v);
    }

private:
    const std::string& file_;
    int line_;
};

constexpr long long MaxRepeat = 10000000;

// "NAME[INDEX]" or "NAME".
std::pair<std::string, std::optional<size_t>> indexed(const LineReader& r, const std::string& word,
                                                      const char* what) {
    size_t open = word.find('[');
    if (open == std::string::npos) return {word, std::nullopt};
    if (word.back() != ']' || open == 0) r.refuse(std::string("bad ") + what + " '" + word + "'");
    std::string inner = word.substr(open + 1, word.size() - open - 2);
    return {word.substr(0, open), static_cast<size_t>(r.integer(inner, "index", 0, 1 << 20))};
}

std::optional<ElementField> fieldNamed(const std::string& w) {
    static const std::pair<const char*, ElementField> names[] = {
        {"value", ElementField::Value},          {"angle", ElementField::Angle},
        {"image", ElementField::Image},          {"offset_x", ElementField::OffsetX},
        {"offset_y", ElementField::OffsetY},     {"value_x", ElementField::ValueX},
        {"value_y", ElementField::ValueY},       {"fraction_x", ElementField::FractionX},
        {"fraction_y", ElementField::FractionY}, {"rotation", ElementField::Rotation},
        {"shown", ElementField::Shown},          {"hidden", ElementField::Hidden},
    };
    for (const auto& [name, f] : names)
        if (w == name) return f;
    return std::nullopt;
}

// The optional "within TOLERANCE" at words[at].
void tolerance(const LineReader& r, const std::vector<std::string>& w, size_t at, ScenarioStep& s,
               const char* usage) {
    if (w.size() == at) return;
    if (w.size() != at + 2 || w[at] != "within") r.refuse(std::string("want ") + usage);
    double t = r.number(w[at + 1], "tolerance");
    if (t < 0) r.refuse("bad tolerance '" + w[at + 1] + "'");
    s.tolerance = t;
}

void parseExpect(const LineReader& r, const std::vector<std::string>& w, ScenarioStep& s) {
    auto need = [&](size_t n, const char* usage) {
        if (w.size() < n) r.refuse(std::string("missing argument: want ") + usage);
    };
    need(2, "expect event|no event|tooltip|var|element|sound ...");
    const std::string& what = w[1];
    if (what == "event" || (what == "no" && w.size() > 2 && w[2] == "event")) {
        bool none = what == "no";
        size_t at = none ? 3 : 2;
        const char* usage =
            none ? "expect no event ID [VALUE]" : "expect event ID [VALUE] [times N]";
        need(at + 1, usage);
        s.kind = none ? Kind::ExpectNoEvent : Kind::ExpectEvent;
        s.id = r.id(w[at], "event id");
        ++at;
        if (at < w.size() && w[at] != "times") {
            s.event_value = static_cast<uint32_t>(
                static_cast<int64_t>(r.integer(w[at], "event value", INT32_MIN, 0xFFFFFFFFLL)));
            ++at;
        }
        if (at < w.size()) {
            if (none || w[at] != "times" || at + 2 != w.size())
                r.refuse(std::string("want ") + usage);
            s.times = r.integer(w[at + 1], "count", 0, MaxRepeat * 100);
        }
        return;
    }
    if (what == "no") r.refuse("want expect no event ID [VALUE]");
    if (what == "tooltip") {
        s.kind = Kind::ExpectTooltip;
        if (w.size() != 4 && w.size() != 6)
            r.refuse("missing argument: want expect tooltip GAUGE [X Y] \"TEXT\"");
        s.gauge = w[2];
        if (w.size() == 6) s.points.push_back({r.coordinate(w[3]), r.coordinate(w[4])});
        s.words = w.back();
        return;
    }
    if (what == "var") {
        s.kind = Kind::ExpectVar;
        const char* usage = "expect var NAME[INDEX] VALUE [within TOLERANCE]";
        need(4, usage);
        auto [name, index] = indexed(r, w[2], "variable");
        const SharedVar* v = findSharedVar(name);
        if (!v) r.refuse("unknown shared variable '" + name + "'");
        if (v->count > 1 && !index)
            r.refuse(name + " has " + std::to_string(v->count) + " entries: name one, " + name +
                     "[0] to " + name + "[" + std::to_string(v->count - 1) + "]");
        if (index && *index >= v->count)
            r.refuse("index " + std::to_string(*index) + " is past the end of " + name);
        s.words = name;
        s.index = index.value_or(0);
        s.value = r.number(w[3], "value");
        tolerance(r, w, 4, s, usage);
        return;
    }
    if (what == "element") {
        s.kind = Kind::ExpectElement;
        const char* usage = "expect element GAUGE BITMAP[INDEX] FIELD [VALUE] [within TOLERANCE]";
        need(5, usage);
        s.gauge = w[2];
        std::string sel = w[3];
        if (size_t at = sel.find('@'); at != std::string::npos) {
            std::vector<double> p = r.list(sel.substr(at + 1), 2, "element position");
            s.points.push_back({static_cast<int32_t>(p[0]), static_cast<int32_t>(p[1])});
            sel = sel.substr(0, at);
        }
        auto [bitmap, index] = indexed(r, sel, "element");
        if (index && !s.points.empty()) r.refuse("name an element by its index or its place");
        s.id = r.id(bitmap, "bitmap");
        s.index = index.value_or(0);
        std::optional<ElementField> f = fieldNamed(w[4]);
        if (!f) r.refuse("unknown element field '" + w[4] + "'");
        s.field = *f;
        if (s.field == ElementField::Shown || s.field == ElementField::Hidden) {
            if (w.size() != 5) r.refuse(std::string("want ") + usage);
            return;
        }
        need(6, usage);
        s.value = r.number(w[5], "value");
        tolerance(r, w, 6, s, usage);
        return;
    }
    if (what == "sound") {
        s.kind = Kind::ExpectSound;
        const char* usage = "expect sound NAME playing|looping|stopped | expect sound NAME plays N";
        need(4, usage);
        s.words = w[2];
        if (s.words.empty() || s.words.find_first_of("/\\") != std::string::npos)
            r.refuse("bad sound name '" + s.words +
                     "': want the WAV file's name, as "
                     "tarnwick_overspeed.wav");
        using S = ScenarioStep::Sound;
        const std::string& state = w[3];
        if (state == "plays" && w.size() == 5) {
            s.sound = S::Plays;
            s.times = r.integer(w[4], "count", 0, MaxRepeat * 100);
        } else if (w.size() == 4 &&
                   (state == "playing" || state == "looping" || state == "stopped")) {
            s.sound = state == "playing"   ? S::Playing
                      : state == "looping" ? S::Looping
                                           : S::Stopped;
        } else {
            r.refuse(std::string("want ") + usage);
        }
        return;
    }
    r.refuse("unknown expectation '" + what + "'");
}

void parseWeather(const LineReader& r, const std::vector<std::string>& w, ScenarioStep& s) {
    const char* usage =
        "weather storm LAT,LON,RADIUS_NM,TOP_M,KIND,AMOUNT,INTENSITY | weather ground "
        "LAT,LON,RADIUS_NM,ELEVATION_M | weather clear | weather answers "
        "prompt|never|garbage|late N";
    if (w.size() < 2) r.refuse(std::string("missing argument: want ") + usage);
    s.kind = Kind::Weather;
    if (w[1] == "storm" && w.size() == 3) {
        std::vector<double> v = r.list(w[2], 7, "storm");
        s.weather = ScenarioStep::Weather::Storm;
        s.storm.latitude = v[0];
        s.storm.longitude = v[1];
        s.storm.radius_nm = v[2];
        s.storm.layer.top_m = r.whole<uint16_t>(v[3], "storm top", 65535);
        s.storm.layer.kind = r.whole<uint8_t>(v[4], "storm kind", 255);
        s.storm.layer.amount = r.whole<uint8_t>(v[5], "storm amount", 255);
        s.storm.layer.intensity = r.whole<uint8_t>(v[6], "storm intensity", 255);
    } else if (w[1] == "ground" && w.size() == 3) {
        std::vector<double> v = r.list(w[2], 4, "ground");
        s.weather = ScenarioStep::Weather::Ground;
        s.ground = GroundArea{v[0], v[1], v[2], v[3]};
    } else if (w[1] == "clear" && w.size() == 2) {
        s.weather = ScenarioStep::Weather::Clear;
    } else if (w[1] == "answers" && w.size() >= 3) {
        s.weather = ScenarioStep::Weather::Answers;
        using A = OffsetServer::WeatherAnswers;
        if (w[2] == "late" && w.size() == 4) {
            s.answers = A::Late;
            s.count = r.integer(w[3], "batch count", 1, 1000);
        } else if (w.size() == 3 && (w[2] == "prompt" || w[2] == "never" || w[2] == "garbage")) {
            s.answers = w[2] == "prompt" ? A::Prompt : w[2] == "never" ? A::Never : A::Garbage;
        } else {
            r.refuse(std::string("want ") + usage);
        }
    } else {
        r.refuse(std::string("want ") + usage);
    }
}

// One line into its step; the set of gauges placed so far checks the names.
void parseLine(const LineReader& r, const std::vector<std::string>& w, ScenarioStep& s,
               std::set<std::string>& placed) {
    const std::string& verb = w[0];
    auto need = [&](size_t lo, size_t hi, const char* usage) {
        if (w.size() < lo) r.refuse(std::string("missing argument: want ") + usage);
        if (w.size() > hi) r.refuse(std::string("too many arguments: want ") + usage);
    };
    auto onPanel = [&](const std::string& gauge) {
        if (!placed.count(gauge))
            r.refuse(gauge + " is not on the panel: place it first with 'gauge " + gauge + "'");
        s.gauge = gauge;
    };
    auto repeat = [&](const char* usage) {
        need(2, 2, usage);
        s.count = r.integer(w[1], "count", 0, MaxRepeat);
    };
    if (verb == "gauge") {
        need(2, 3, "gauge NAME [\"PARAMETERS\"]");
        s.kind = Kind::Gauge;
        s.gauge = w[1];
        if (w.size() == 3) s.words = w[2];
        placed.insert(w[1]);
    } else if (verb == "set") {
        need(3, 3, "set ID VALUE");
        s.kind = Kind::Set;
        s.id = r.id(w[1], "variable id");
        s.value = r.number(w[2], "value", true);
    } else if (verb == "calc") {
        need(3, 3, "calc \"EXPRESSION\" VALUE");
        s.kind = Kind::Calc;
        if (w[1].empty()) r.refuse("an empty expression");
        s.words = w[1];
        s.value = r.number(w[2], "value", true);
    } else if (verb == "click") {
        const char* usage = "click GAUGE X Y [times N]";
        need(4, 6, usage);
        s.kind = Kind::Click;
        onPanel(w[1]);
        s.points.push_back({r.coordinate(w[2]), r.coordinate(w[3])});
        s.count = 1;
        if (w.size() > 4) {
            if (w.size() != 6 || w[4] != "times") r.refuse(std::string("want ") + usage);
            s.count = r.integer(w[5], "count", 1, MaxRepeat);
        }
    } else if (verb == "drag") {
        const char* usage = "drag GAUGE X Y X2 Y2 [X3 Y3]...";
        if (w.size() < 6) r.refuse(std::string("missing argument: want ") + usage);
        if (w.size() % 2 == 1) r.refuse(std::string("a point without its y: want ") + usage);
        s.kind = Kind::Drag;
        onPanel(w[1]);
        for (size_t i = 2; i < w.size(); i += 2)
            s.points.push_back({r.coordinate(w[i]), r.coordinate(w[i + 1])});
    } else if (verb == "frames") {
        repeat("frames N");
        s.kind = Kind::Frames;
    } else if (verb == "ticks") {
        repeat("ticks N");
        s.kind = Kind::Ticks;
    } else if (verb == "counts") {
        repeat("counts N");
        s.kind = Kind::Counts;
    } else if (verb == "time-of-day") {
        need(2, 2, "time-of-day SECONDS");
        s.kind = Kind::TimeOfDay;
        s.value = r.number(w[1], "time of day");
    } else if (verb == "weather") {
        parseWeather(r, w, s);
    } else if (verb == "render") {
        need(2, 3, "render [GAUGE] FILE.png");
        s.kind = Kind::Render;
        if (w.size() == 3) onPanel(w[1]);
        s.words = w.back();
    } else if (verb == "expect") {
        parseExpect(r, w, s);
        if (!s.gauge.empty()) onPanel(s.gauge);
    } else {
        r.refuse("unknown step '" + verb + "'");
    }
}

// ---- Running --------------------------------------------------------------------

std::string formatNumber(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

std::string formatEvent(uint32_t id, uint32_t value) {
    return std::to_string(id) + " " + std::to_string(static_cast<int32_t>(value));
}

bool closeEnough(double seen, double expected, std::optional<double> tolerance) {
    if (std::isnan(seen) || std::isnan(expected)) return std::isnan(seen) && std::isnan(expected);
    if (seen == expected) return true;
    double t = tolerance.value_or(1e-9 * std::max(1.0, std::fabs(expected)));
    return std::fabs(seen - expected) <= t;
}

#if !defined(_WIN32)
// The sound samples of a WAV file in the Sound folder of the working
// directory, its name matched without regard to case; empty when there is no
// such file or it has no data chunk.
std::vector<uint8_t> soundFileData(const std::string& name) {
    namespace fs = std::filesystem;
    auto lower = [](std::string t) {
        for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return t;
    };
    std::error_code ec;
    fs::path found;
    for (const fs::directory_entry& e : fs::directory_iterator("Sound", ec)) {
        if (lower(e.path().filename().string()) == lower(name)) {
            found = e.path();
            break;
        }
    }
    if (found.empty()) return {};
    std::ifstream in(found, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    // RIFF, its size, WAVE, then chunks of an id, a size and the size's bytes
    // (padded to an even count).
    constexpr size_t Header = 12, ChunkHeader = 8;
    if (file.size() < Header || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return {};
    for (size_t at = Header; at + ChunkHeader <= file.size();) {
        uint32_t size;
        std::memcpy(&size, file.data() + at + 4, sizeof size);
        const size_t body = at + ChunkHeader;
        if (std::memcmp(file.data() + at, "data", 4) == 0) {
            const size_t end = body + std::min<size_t>(size, file.size() - body);
            return std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(body),
                                        file.begin() + static_cast<std::ptrdiff_t>(end));
        }
        if (size > file.size() - body) break;
        at = body + size + (size & 1u);
    }
    return {};
}
#endif

constexpr int64_t ProgressChunk = 500;  // periods or frames between progress reports
constexpr uint32_t TimeOfDayVar = 557;

class Runner {
public:
    Runner(Host& host, const Scenario& scenario, ScenarioObserver* observer)
        : host_(host), scenario_(scenario), observer_(observer) {}

    ScenarioOutcome run() {
        ScenarioOutcome out;
        host_.clearLogs();
        if (scenario_.uses_weather && !host_.offsetServer()) host_.startOffsetServer();
        bool after_expectation = true;
        for (const ScenarioStep& step : scenario_.steps) {
            if (!step.isExpectation() && after_expectation) clearWindow();
            after_expectation = step.isExpectation();
            StepResult result;
            result.step = &step;
            current_ = &result;
            try {
                perform(step, result);
            } catch (const std::exception& e) {
                result.status = StepResult::Status::Failed;
                result.detail = e.what();
            }
            drain();
            current_ = nullptr;
            ++out.steps;
            if (result.status == StepResult::Status::Held) ++out.held;
            if (result.status == StepResult::Status::Skipped) ++out.skipped;
            if (observer_) observer_->stepDone(result);
            if (result.status == StepResult::Status::Failed) {
                out.passed = false;
                out.failed_line = step.line;
                out.failure =
                    scenario_.file + ":" + std::to_string(step.line) + ": " + result.detail;
                break;
            }
        }
        return out;
    }

private:
    Host& host_;
    const Scenario& scenario_;
    ScenarioObserver* observer_;
    StepResult* current_ = nullptr;
    std::map<std::string, Gauge*> placed_;
    EventTally window_;  // events since the last expectation
#if !defined(_WIN32)
    // The sound device's Play calls on each buffer when the window opened.
    std::map<const void*, unsigned> play_calls_;
    std::map<std::string, std::vector<uint8_t>> sound_files_;  // by name as written
#endif
    std::optional<double> time_of_day_;
    int64_t periods_since_time_ = 0;
    WeatherField field_;

    void clearWindow() {
        window_.clear();
#if !defined(_WIN32)
        play_calls_.clear();
        for (const auto& b : twplat::soundBuffers()) play_calls_[b.buffer] = b.playCalls;
#endif
    }

    // Moves what the module sent into the window and the step's result.
    void drain() {
        for (const SentEvent& e : host_.events()) {
            window_.add(e);
            if (current_) current_->events.add(e);
        }
        host_.clearLogs();
    }

    Gauge& gauge(const std::string& name) { return *placed_.at(name); }

    void fail(StepResult& r, std::string expected, std::string seen) {
        r.status = StepResult::Status::Failed;
        r.detail = "expected " + expected + ", saw " + seen;
        r.expected = std::move(expected);
        r.seen = std::move(seen);
    }

    void judge(StepResult& r, bool held, std::string expected, std::string seen) {
        if (held) {
            r.status = StepResult::Status::Held;
            r.detail = std::move(seen);
        } else {
            fail(r, std::move(expected), std::move(seen));
        }
    }

    // Runs `total` repetitions of `one` in chunks, draining the log and
    // reporting progress between them.
    template <typename Fn>
    void repeat(const ScenarioStep& step, int64_t total, Fn one) {
        for (int64_t done = 0; done < total;) {
            int64_t n = std::min(ProgressChunk, total - done);
            for (int64_t i = 0; i < n; ++i) one();
            done += n;
            drain();
            if (observer_ && total > ProgressChunk) observer_->progress(step, done, total);
        }
    }

    void perform(const ScenarioStep& s, StepResult& r) {
        switch (s.kind) {
            case Kind::Gauge: {
                Gauge* g = host_.createGauge(s.gauge, s.words);
                if (!g) throw std::runtime_error("no gauge named '" + s.gauge + "'");
                placed_.emplace(s.gauge, g);
                return;
            }
            case Kind::Set:
                host_.setVar(s.id, s.value);
                return;
            case Kind::Calc:
                host_.setCalculatorResult(s.words, s.value);
                return;
            case Kind::Click: {
                Gauge& g = gauge(s.gauge);
                for (int64_t i = 0; i < s.count; ++i) {
                    press(g, s.points[0]);
                    g.release();
                }
                return;
            }
            case Kind::Drag: {
                Gauge& g = gauge(s.gauge);
                press(g, s.points[0]);
                for (size_t i = 1; i < s.points.size(); ++i) g.drag(s.points[i].x, s.points[i].y);
                g.release();
                return;
            }
            case Kind::Frames:
                repeat(s, s.count, [&] { host_.frame(); });
                return;
            case Kind::Ticks:
                repeat(s, s.count, [&] { tick(); });
                return;
            case Kind::Counts:
                repeat(s, s.count, [&] {
                    constexpr uint32_t TickCounter = 1;
                    host_.setVar(TickCounter, host_.var(TickCounter) + 1);
                    host_.frame();
                });
                return;
            case Kind::TimeOfDay:
                time_of_day_ = s.value;
                periods_since_time_ = 0;
                host_.setVar(TimeOfDayVar, wrappedTimeOfDay());
                return;
            case Kind::Weather:
                weather(s);
                return;
            case Kind::Render:
                render(s, r);
                return;
            case Kind::ExpectEvent:
            case Kind::ExpectNoEvent:
                expectEvent(s, r);
                return;
            case Kind::ExpectTooltip:
                expectTooltip(s, r);
                return;
            case Kind::ExpectVar:
                expectVar(s, r);
                return;
            case Kind::ExpectElement:
                expectElement(s, r);
                return;
            case Kind::ExpectSound:
                expectSound(s, r);
                return;
        }
    }

    static void press(Gauge& g, PIXPOINT p) {
        if (!g.press(p.x, p.y))
            throw std::runtime_error("no clickable area at (" + std::to_string(p.x) + "," +
                                     std::to_string(p.y) + ") of " + g.name());
    }

    double wrappedTimeOfDay() const {
        constexpr double SecondsPerDay = 86400.0, PeriodSeconds = 0.055;
        double t =
            std::fmod(*time_of_day_ + static_cast<double>(periods_since_time_) * PeriodSeconds,
                      SecondsPerDay);
        return t < 0 ? t + SecondsPerDay : t;
    }

    // One period of the systems timer; the time of day, once set, runs with it.
    void tick() {
        if (time_of_day_) host_.setVar(TimeOfDayVar, wrappedTimeOfDay());
        host_.runTicks(1);
        if (time_of_day_) {
            ++periods_since_time_;
            host_.setVar(TimeOfDayVar, wrappedTimeOfDay());
        }
    }

    void weather(const ScenarioStep& s) {
        OffsetServer* server = host_.offsetServer();
        if (!server) throw std::runtime_error("the host's weather service is not running");
        using W = ScenarioStep::Weather;
        switch (s.weather) {
            case W::Storm:
                field_.storms.push_back(s.storm);
                break;
            case W::Ground:
                field_.ground.push_back(s.ground);
                break;
            case W::Clear:
                field_ = WeatherField{};
                break;
            case W::Answers:
                server->setWeatherAnswers(s.answers, static_cast<unsigned>(s.count));
                return;
        }
        server->serveWeather(field_);
    }

    void render(const ScenarioStep& s, StepResult& r) {
        Pictures pictures(host_.module().handle());
        Image img;
        if (!s.gauge.empty()) {
            img = renderGauge(gauge(s.gauge), pictures);
        } else {
            // Every gauge on the panel, in rows no wider than RowWidth.
            constexpr int32_t RowWidth = 1600, Gap = 8;
            std::vector<Image> shots;
            for (const auto& g : host_.gauges()) shots.push_back(renderGauge(*g, pictures));
            std::vector<PIXPOINT> at;
            int32_t x = 0, y = 0, row = 0, width = 1;
            for (const Image& shot : shots) {
                if (x > 0 && x + shot.width > RowWidth) {
                    x = 0;
                    y += row + Gap;
                    row = 0;
                }
                at.push_back({x, y});
                x += shot.width + Gap;
                row = std::max(row, shot.height);
                width = std::max(width, x - Gap);
            }
            img = Image(width, std::max(1, y + row), 0x202124);
            for (size_t i = 0; i < shots.size(); ++i)
                drawScaled(img, shots[i], at[i].x, at[i].y, shots[i].width, shots[i].height);
        }
        writePng(s.words, img);
        r.detail = "wrote " + s.words + " (" + std::to_string(img.width) + " x " +
                   std::to_string(img.height) + ")";
    }

    void expectEvent(const ScenarioStep& s, StepResult& r) {
        uint64_t n = window_.count(s.id, s.event_value);
        std::string what =
            "event " + (s.event_value ? formatEvent(s.id, *s.event_value) : std::to_string(s.id));
        std::string seen = window_.text();
        if (n > 0) seen = "it " + std::to_string(n) + (n == 1 ? " time" : " times") + " in " + seen;
        if (s.kind == Kind::ExpectNoEvent)
            judge(r, n == 0, "no " + what, seen);
        else if (s.times)
            judge(r, n == static_cast<uint64_t>(*s.times),
                  what + " " + std::to_string(*s.times) + " times", seen);
        else
            judge(r, n > 0, what, seen);
    }

    // The tooltip at the point, or every tooltip of the gauge's areas.
    void expectTooltip(const ScenarioStep& s, StepResult& r) {
        Gauge& g = gauge(s.gauge);
        std::vector<std::string> seen;
        if (!s.points.empty()) {
            if (auto t = g.tooltipAt(s.points[0].x, s.points[0].y))
                seen.push_back(latin1ToUtf8(*t));
        } else {
            for (const MouseArea& a : g.mouseAreas().areas()) {
                if (!a.tooltip || a.kind != MouseArea::Parent) continue;
                PIXPOINT p = a.box.unbounded
                                 ? PIXPOINT{0, 0}
                                 : PIXPOINT{a.box.x + a.box.width / 2, a.box.y + a.box.height / 2};
                if (auto t = g.tooltipAt(p.x, p.y)) seen.push_back(latin1ToUtf8(*t));
            }
        }
        bool held = std::find(seen.begin(), seen.end(), s.words) != seen.end();
        std::string shown;
        for (const std::string& t : seen) shown += (shown.empty() ? "\"" : ", \"") + t + "\"";
        judge(r, held, "tooltip \"" + s.words + "\"", shown.empty() ? "no tooltip" : shown);
    }

    void expectVar(const ScenarioStep& s, StepResult& r) {
        // The shipping DLL exports only Linkage and ImportTable.
        if (!host_.module().symbol("PowerAvailable")) {
            r.status = StepResult::Status::Skipped;
            r.detail = "skipped: the module exports no variables";
            return;
        }
        const SharedVar* v = findSharedVar(s.words);
        const void* base = v ? host_.module().symbol(v->name) : nullptr;
        std::string name = s.words + (v && v->count > 1 ? "[" + std::to_string(s.index) + "]" : "");
        if (!base) {
            fail(r, name + " = " + formatNumber(s.value), "no such variable in the module");
            return;
        }
        double seen = readVar(base, *v, s.index);
        judge(r, closeEnough(seen, s.value, s.tolerance), name + " = " + formatNumber(s.value),
              name + " = " + formatNumber(seen));
    }

    // The buffers holding the named file's sound, their state and their Play
    // calls in the window, as the sound device shows them.
    void expectSound(const ScenarioStep& s, StepResult& r) {
        using S = ScenarioStep::Sound;
        static const char* const states[] = {"playing", "looping", "stopped"};
        std::string expected =
            "sound " + s.words + " " +
            (s.sound == S::Plays ? "plays " + std::to_string(*s.times)
                                 : std::string(states[static_cast<int>(s.sound)]));
#if defined(_WIN32)
        // DirectSound itself: the host cannot see the module's calls on it.
        (void)expected;
        r.status = StepResult::Status::Skipped;
        r.detail = "skipped: the host cannot see the sound device here";
#else
        auto file = sound_files_.find(s.words);
        if (file == sound_files_.end())
            file = sound_files_.emplace(s.words, soundFileData(s.words)).first;
        if (file->second.empty()) {
            fail(r, expected,
                 "no sound file Sound/" + s.words +
                     " in the working directory, where the "
                     "module loads its sounds from");
            return;
        }
        StepResult::SoundSeen seen;
        seen.name = s.words;
        bool playing = false, looping = false, volume_known = false;
        for (const auto& b : twplat::soundBuffers()) {
            if (b.bytes != file->second) continue;
            ++seen.buffers;
            auto base = play_calls_.find(b.buffer);
            seen.plays += b.playCalls - (base == play_calls_.end() ? 0u : base->second);
            if ((b.playing && !volume_known) || seen.buffers == 1) seen.volume = b.volume;
            volume_known = volume_known || b.playing;
            playing = playing || b.playing;
            looping = looping || (b.playing && b.looping);
        }
        seen.state = looping ? "looping" : playing ? "playing" : "stopped";
        std::string shown = seen.buffers == 0
                                ? "no buffer of the sound device holds it"
                                : s.words + " " + seen.state + ", " + std::to_string(seen.plays) +
                                      (seen.plays == 1 ? " play" : " plays") + ", volume " +
                                      std::to_string(seen.volume);
        bool held = seen.buffers > 0 &&
                    (s.sound == S::Plays ? seen.plays == static_cast<uint64_t>(*s.times)
                                         : seen.state == states[static_cast<int>(s.sound)]);
        r.sound = std::move(seen);
        judge(r, held, expected, shown);
#endif
    }

    void expectElement(const ScenarioStep& s, StepResult& r) {
        Gauge& g = gauge(s.gauge);
        const ElementState* found = nullptr;
        size_t k = 0;
        for (const ElementState& e : g.drawState()) {
            if (e.resource_id != s.id) continue;
            if (s.points.empty() ? k++ == s.index
                                 : e.position.x == s.points[0].x && e.position.y == s.points[0].y) {
                found = &e;
                break;
            }
        }
        std::string which = s.gauge + " " + std::to_string(s.id) +
                            (s.points.empty() ? "[" + std::to_string(s.index) + "]"
                                              : "@" + std::to_string(s.points[0].x) + "," +
                                                    std::to_string(s.points[0].y));
        if (!found) {
            fail(r, "element " + which,
                 std::to_string(k) + " elements with bitmap " + std::to_string(s.id) + " in " +
                     s.gauge);
            return;
        }
        if (s.field == ElementField::Shown || s.field == ElementField::Hidden) {
            bool want_hidden = s.field == ElementField::Hidden;
            judge(r, found->hidden == want_hidden, which + (want_hidden ? " hidden" : " shown"),
                  which + (found->hidden ? " hidden" : " shown"));
            return;
        }
        static const char* names[] = {"value",   "angle",   "image",      "offset_x",   "offset_y",
                                      "value_x", "value_y", "fraction_x", "fraction_y", "rotation"};
        double seen = 0.0;
        switch (s.field) {
            case ElementField::Value:
                seen = found->value;
                break;
            case ElementField::Angle:
                seen = found->angle;
                break;
            case ElementField::Image:
                seen = found->image;
                break;
            case ElementField::OffsetX:
                seen = found->offset_x;
                break;
            case ElementField::OffsetY:
                seen = found->offset_y;
                break;
            case ElementField::ValueX:
                seen = found->value_x;
                break;
            case ElementField::ValueY:
                seen = found->value_y;
                break;
            case ElementField::FractionX:
                seen = found->fraction_x;
                break;
            case ElementField::FractionY:
                seen = found->fraction_y;
                break;
            case ElementField::Rotation:
                seen = found->rotation;
                break;
            default:
                break;
        }
        std::string field = which + " " + names[static_cast<int>(s.field)];
        judge(r, closeEnough(seen, s.value, s.tolerance), field + " " + formatNumber(s.value),
              field + " " + formatNumber(seen));
    }
};

}  // namespace

void EventTally::add(const SentEvent& e) {
    ++total_;
    uint64_t& n = counts_[{e.id, e.value}];
    if (n++ == 0 && first_.size() < Kept) first_.push_back({e, 0});
    for (auto& [kept, count] : first_)
        if (kept.id == e.id && kept.value == e.value) ++count;
}

uint64_t EventTally::count(uint32_t id, std::optional<uint32_t> value) const {
    if (value) {
        auto it = counts_.find({id, *value});
        return it == counts_.end() ? 0 : it->second;
    }
    uint64_t n = 0;
    for (auto it = counts_.lower_bound({id, 0}); it != counts_.end() && it->first.first == id; ++it)
        n += it->second;
    return n;
}

std::string EventTally::text() const {
    if (total_ == 0) return "no events";
    std::string out, head = std::to_string(total_) + (total_ == 1 ? " event: " : " events: ");
    uint64_t shown = 0;
    for (const auto& [e, n] : first_) {
        out += (out.empty() ? "" : ", ") + formatEvent(e.id, e.value);
        if (n > 1) out += " x" + std::to_string(n);
        shown += n;
    }
    if (shown < total_) out += ", and " + std::to_string(total_ - shown) + " more";
    return head + out;
}

Scenario parseScenario(std::string_view text, const std::string& file) {
    Scenario sc;
    sc.file = file;
    std::set<std::string> placed;
    int number = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t nl = text.find('\n', start);
        std::string_view line =
            text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        ++number;
        LineReader r(sc.file, number);
        if (!validUtf8(line)) r.refuse("the line is not UTF-8 text");
        Words w = r.split(line);
        if (!w.list.empty()) {
            ScenarioStep s;
            s.line = number;
            s.text = w.text;
            parseLine(r, w.list, s, placed);
            sc.uses_weather = sc.uses_weather || s.kind == Kind::Weather;
            sc.steps.push_back(std::move(s));
        }
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return sc;
}

Scenario readScenario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return parseScenario(text.str(), path);
}

void checkScenario(const Scenario& scenario, const Module& module) {
    for (const ScenarioStep& s : scenario.steps)
        if (s.kind == Kind::Gauge && !module.findGauge(s.gauge))
            throw ScenarioError(scenario.file, s.line, "unknown gauge '" + s.gauge + "'");
}

ScenarioOutcome runScenario(Host& host, const Scenario& scenario, ScenarioObserver* observer) {
    checkScenario(scenario, host.module());
    return Runner(host, scenario, observer).run();
}

std::string latin1ToUtf8(std::string_view bytes) {
    // Code page 1252 differs from ISO 8859-1 in 0x80..0x9F; its five unused
    // bytes there keep their C1 code points.
    static const uint16_t High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        uint32_t cp = c >= 0x80 && c < 0xA0 ? High[c - 0x80] : c;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace tw
