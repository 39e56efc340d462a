// tarnwick: the module on the bundled host, from the command line.
//
//   tarnwick list                              the gauges with their widths, element
//                                              and mouse-area counts and tooltips
//   tarnwick show GAUGE [--frames N]           one gauge's draw state after N frames
//                                              (with --ticks, first the events sent)
//   tarnwick click GAUGE X Y [--frames N]      a left press at a point, then N frames
//   tarnwick drag GAUGE X Y X2 Y2 [X3 Y3]...   a left press at (X,Y), the pointer moved
//                                              with the button down through the other
//                                              points (anywhere, also off the gauge),
//                                              the release, then N frames
//   tarnwick tooltip GAUGE X Y                 the tooltip at a point
//   tarnwick radar [--ticks N] [--every K]     the weather radar on over a weather
//                                              field: N ticks (80 unless given), the
//                                              fan's picture every K ticks and at the
//                                              end (--json: the display's draw state)
//   tarnwick render GAUGE --out FILE.png       a picture of the gauge after its frames
//                                              (and left presses at --click X,Y first)
//   tarnwick render-panel PANEL.cfg --out FILE.png
//                                              a picture of a whole panel configuration
//
// Options for every command: --var ID=VALUE (a host variable, repeatable),
// --calc "EXPR=VALUE" (what the host's calculator gives for an expression,
// repeatable; the value follows the last '='),
// --param TEXT (the gauge's parameter string), --ticks N (the master gauge
// FLOOD_SW is placed too, and N periods of the systems timer run, each with
// a frame, before the frames of --frames), --time-of-day S (the host's time of
// day, variable 557, starts at S seconds and runs with the ticks, wrapping at
// midnight), --with GAUGE (another gauge on the panel, repeatable), --at TICK
// GAUGE X Y (a left press at a point of GAUGE, placed on the panel too, once
// TICK of the --ticks periods have run; repeatable), --module PATH (on 32-bit Linux
// also the shipping Windows DLL, build/win32/tarnwick.gau), --json.
//
// The weather field, for every command (the offset service then answers the
// radar's requests from it): --storm LAT,LON,RADIUS_NM,TOP_M,KIND,AMOUNT,INTENSITY
// and --ground LAT,LON,RADIUS_NM,ELEVATION_M, both repeatable. --radar-range N
// puts radartc on the panel and turns its range selector to N (0 off, 1 range
// lines, 2, 3, 4 weather at 20, 50, 150 nm; the radar command takes 2 unless
// told).
//
// A start followed from the command line, engine 2 with engine 3 running:
//   tarnwick show N2E2 --var 201=1 --var 663=100 --with STARTER_PRESS
//            --at 5 START_ARM 5 5 --at 5 START_SWITCHES 47 5
//            --at 300 THROTTLE_QUAD 260 400 --ticks 700

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/render.h"
#include "host/weather_field.h"

namespace {

// A press that --at schedules.
struct TimedPress {
    int tick;
    std::string gauge;
    std::string x, y;
};

struct Options {
    std::string command;
    std::vector<std::string> positional;
    std::vector<std::pair<uint32_t, double>> vars;
    std::vector<std::pair<std::string, double>> calculations;
    std::string param;
    std::string module;
    std::string out;
    std::vector<PIXPOINT> clicks;
    int frames = 1;
    int ticks = 0;
    bool ticks_given = false;
    int every = 0;
    std::optional<double> time_of_day;
    std::vector<std::string> with;
    std::vector<TimedPress> presses;
    bool json = false;
    tw::WeatherField field;
    bool weather = false;  // a field was given
    int radar_range = -1;  // -1: leave the selector alone
};

struct UsageError {
    std::string message;
};

const char* Usage =
    "usage: tarnwick list|show|click|tooltip [GAUGE [X Y]] [--frames N] [--ticks N]\n"
    "                [--time-of-day S] [--var ID=VALUE]... [--calc EXPR=VALUE]...\n"
    "                [--param TEXT] [--with GAUGE]... [--at TICK GAUGE X Y]...\n"
    "                [--module PATH] [--json]\n"
    "                [--storm LAT,LON,RADIUS_NM,TOP_M,KIND,AMOUNT,INTENSITY]...\n"
    "                [--ground LAT,LON,RADIUS_NM,ELEVATION_M]... [--radar-range N]\n"
    "       tarnwick drag GAUGE X Y X2 Y2 [X3 Y3]... [same options]\n"
    "       tarnwick radar [--ticks N] [--every K] [same options]\n"
    "       tarnwick render GAUGE --out FILE.png [--click X,Y]... [same options]\n"
    "       tarnwick render-panel PANEL.cfg --out FILE.png [same options]\n";

// 64 bits on every target: variable ids span the whole unsigned 32-bit range.
long long parseInteger(const std::string& text, const char* what, long long lo, long long hi) {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi)
        throw UsageError{std::string("bad ") + what + ": '" + text + "'"};
    return v;
}

double parseNumber(const std::string& text, const char* what) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v))
        throw UsageError{std::string("bad ") + what + ": '" + text + "'"};
    return v;
}

// A comma-separated list of exactly `count` numbers.
std::vector<double> parseList(const std::string& text, size_t count, const char* what) {
    std::vector<double> out;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        out.push_back(parseNumber(text.substr(start, comma - start), what));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (out.size() != count)
        throw UsageError{std::string("bad ") + what + ", want " + std::to_string(count) +
                         " numbers: '" + text + "'"};
    return out;
}

template <typename T>
T parseField(double v, const char* what, double hi) {
    if (v < 0 || v > hi || v != std::floor(v))
        throw UsageError{std::string("bad ") + what + ": " + std::to_string(v)};
    return static_cast<T>(v);
}

tw::StormCell parseStorm(const std::string& text) {
    std::vector<double> v = parseList(text, 7, "--storm");
    tw::StormCell s;
    s.latitude = v[0];
    s.longitude = v[1];
    s.radius_nm = v[2];
    s.layer.top_m = parseField<uint16_t>(v[3], "storm top", 65535);
    s.layer.kind = parseField<uint8_t>(v[4], "storm kind", 255);
    s.layer.amount = parseField<uint8_t>(v[5], "storm amount", 255);
    s.layer.intensity = parseField<uint8_t>(v[6], "storm intensity", 255);
    return s;
}

tw::GroundArea parseGround(const std::string& text) {
    std::vector<double> v = parseList(text, 4, "--ground");
    return tw::GroundArea{v[0], v[1], v[2], v[3]};
}

Options parse(int argc, char** argv) {
    Options o;
    std::vector<std::string> a(argv + 1, argv + argc);
    for (size_t i = 0; i < a.size(); ++i) {
        auto value = [&](const char* flag) {
            if (i + 1 >= a.size()) throw UsageError{std::string(flag) + " needs a value"};
            return a[++i];
        };
        if (a[i] == "--json") {
            o.json = true;
        } else if (a[i] == "--frames") {
            o.frames = static_cast<int>(parseInteger(value("--frames"), "frame count", 0, 1000000));
        } else if (a[i] == "--ticks") {
            o.ticks = static_cast<int>(parseInteger(value("--ticks"), "tick count", 0, 10000000));
            o.ticks_given = true;
        } else if (a[i] == "--every") {
            o.every = static_cast<int>(parseInteger(value("--every"), "tick count", 1, 10000000));
        } else if (a[i] == "--storm") {
            o.field.storms.push_back(parseStorm(value("--storm")));
            o.weather = true;
        } else if (a[i] == "--ground") {
            o.field.ground.push_back(parseGround(value("--ground")));
            o.weather = true;
        } else if (a[i] == "--radar-range") {
            o.radar_range =
                static_cast<int>(parseInteger(value("--radar-range"), "range position", 0, 4));
        } else if (a[i] == "--time-of-day") {
            o.time_of_day = parseNumber(value("--time-of-day"), "time of day");
        } else if (a[i] == "--var") {
            std::string v = value("--var");
            size_t eq = v.find('=');
            if (eq == std::string::npos) throw UsageError{"bad --var, want ID=VALUE: '" + v + "'"};
            auto id = static_cast<uint32_t>(
                parseInteger(v.substr(0, eq), "variable id", 0, 0xFFFFFFFFLL));
            o.vars.emplace_back(id, parseNumber(v.substr(eq + 1), "variable value"));
        } else if (a[i] == "--calc") {
            std::string v = value("--calc");
            size_t eq = v.rfind('=');
            if (eq == std::string::npos || eq == 0)
                throw UsageError{"bad --calc, want EXPR=VALUE: '" + v + "'"};
            o.calculations.emplace_back(v.substr(0, eq),
                                        parseNumber(v.substr(eq + 1), "calculator value"));
        } else if (a[i] == "--with") {
            o.with.push_back(value("--with"));
        } else if (a[i] == "--at") {
            TimedPress t;
            t.tick = static_cast<int>(parseInteger(value("--at"), "tick", 0, 10000000));
            t.gauge = value("--at");
            t.x = value("--at");
            t.y = value("--at");
            o.presses.push_back(t);
        } else if (a[i] == "--param") {
            o.param = value("--param");
        } else if (a[i] == "--module") {
            o.module = value("--module");
        } else if (a[i] == "--out") {
            o.out = value("--out");
        } else if (a[i] == "--click") {
            std::string v = value("--click");
            size_t comma = v.find(',');
            if (comma == std::string::npos) throw UsageError{"bad --click, want X,Y: '" + v + "'"};
            o.clicks.push_back(
                {static_cast<int32_t>(parseInteger(v.substr(0, comma), "x", -100000, 100000)),
                 static_cast<int32_t>(parseInteger(v.substr(comma + 1), "y", -100000, 100000))});
        } else if (a[i].rfind("--", 0) == 0) {
            throw UsageError{"unknown option " + a[i]};
        } else if (o.command.empty()) {
            o.command = a[i];
        } else {
            o.positional.push_back(a[i]);
        }
    }
    return o;
}

// JSON strings: tooltips are Latin-1 bytes, written as their code points.
std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string number(double v) {
    std::ostringstream s;
    s.precision(10);
    // Negative zero prints as 0.
    s << (std::isfinite(v) && v != 0.0 ? v : 0.0);
    return s.str();
}

const char* typeName(uint32_t t) {
    switch (t) {
        case ElementStaticImage:
            return "static";
        case ElementNeedle:
            return "needle";
        case ElementString:
            return "string";
        case ElementSlider:
            return "slider";
        case ElementIcon:
            return "icon";
        case ElementMovingImage:
            return "moving";
        case ElementSprite:
            return "sprite";
        default:
            return "unknown";
    }
}

// Element count of a gauge's tree, as the host walks it.
size_t countElements(const tw::Gauge& g) { return g.drawState().size(); }

size_t countChildAreas(const tw::MouseAreas& m) {
    size_t n = 0;
    for (const auto& a : m.areas()) n += a.kind == tw::MouseArea::Child;
    return n;
}

std::vector<std::string> tooltipTexts(const tw::MouseAreas& m) {
    std::vector<std::string> out;
    for (const auto& a : m.areas())
        if (a.tooltip && a.tooltip->text) out.push_back(a.tooltip->text);
    return out;
}

int list(tw::Host& host, const Options& o) {
    std::ostringstream json;
    json << "[";
    bool first = true;
    for (GAUGE_HEADER* const* h = host.module().linkage()->gauge_table; *h; ++h) {
        tw::Gauge* g = host.createGauge((*h)->gauge_name, o.param);
        host.frame();
        auto tips = tooltipTexts(g->mouseAreas());
        if (o.json) {
            json << (first ? "" : ",") << "{\"name\":" << jsonString(g->name())
                 << ",\"width_mm\":" << (*h)->size_x_mm << ",\"elements\":" << countElements(*g)
                 << ",\"mouse_areas\":" << countChildAreas(g->mouseAreas()) << ",\"tooltips\":[";
            for (size_t i = 0; i < tips.size(); ++i) json << (i ? "," : "") << jsonString(tips[i]);
            json << "]}";
        } else {
            std::cout << g->name() << "  " << (*h)->size_x_mm << " mm  " << countElements(*g)
                      << " elements  " << countChildAreas(g->mouseAreas()) << " areas";
            for (const auto& t : tips) std::cout << "  \"" << t << "\"";
            std::cout << "\n";
        }
        first = false;
        host.destroyGauge(g);
    }
    if (o.json) std::cout << json.str() << "]\n";
    return 0;
}

std::string eventsJson(const tw::Host& host) {
    std::ostringstream json;
    json << "[";
    for (size_t i = 0; i < host.events().size(); ++i) {
        const auto& e = host.events()[i];
        json << (i ? "," : "") << "{\"id\":" << e.id << ",\"value\":" << e.value << ",\"source\":\""
             << (e.source == tw::SentEvent::Module ? "module" : "area") << "\"}";
    }
    json << "]";
    return json.str();
}

// With events (a JSON array), the JSON form carries them too.
void printState(const tw::Gauge& g, const Options& o, const std::string& events = "") {
    if (o.json) {
        std::cout << "{\"gauge\":" << jsonString(g.name());
        if (!events.empty()) std::cout << ",\"events\":" << events;
        std::cout << ",\"elements\":[";
        bool first = true;
        for (const auto& s : g.drawState()) {
            std::cout << (first ? "" : ",") << "{\"type\":\"" << typeName(s.type)
                      << "\",\"resource\":" << s.resource_id << ",\"depth\":" << s.depth
                      << ",\"hidden\":" << (s.hidden ? "true" : "false")
                      << ",\"x\":" << s.position.x << ",\"y\":" << s.position.y;
            switch (s.type) {
                case ElementNeedle:
                    std::cout << ",\"value\":" << number(s.value)
                              << ",\"angle\":" << number(s.angle);
                    break;
                case ElementIcon:
                    std::cout << ",\"image\":" << s.image;
                    break;
                case ElementSlider:
                    std::cout << ",\"offset_x\":" << number(s.offset_x)
                              << ",\"offset_y\":" << number(s.offset_y)
                              << ",\"value_x\":" << number(s.value_x)
                              << ",\"value_y\":" << number(s.value_y);
                    break;
                case ElementMovingImage:
                    std::cout << ",\"fraction_x\":" << number(s.fraction_x)
                              << ",\"fraction_y\":" << number(s.fraction_y)
                              << ",\"value_x\":" << number(s.value_x)
                              << ",\"value_y\":" << number(s.value_y);
                    break;
                case ElementSprite:
                    std::cout << ",\"offset_x\":" << number(s.offset_x)
                              << ",\"offset_y\":" << number(s.offset_y)
                              << ",\"rotation\":" << number(s.rotation) << ",\"texture_center\":["
                              << s.texture_center.x << "," << s.texture_center.y
                              << "],\"texture_scale\":[" << number(s.texture_scale_x) << ","
                              << number(s.texture_scale_y) << "]";
                    break;
                default:
                    break;
            }
            std::cout << "}";
            first = false;
        }
        std::cout << "]}\n";
        return;
    }
    std::cout << g.name() << "\n";
    for (const auto& s : g.drawState()) {
        std::cout << std::string(2 * (s.depth + 1), ' ') << typeName(s.type) << " " << s.resource_id
                  << " at (" << s.position.x << "," << s.position.y << ")";
        switch (s.type) {
            case ElementNeedle:
                std::cout << " value " << number(s.value) << " angle " << number(s.angle);
                break;
            case ElementIcon:
                std::cout << " image " << s.image;
                break;
            case ElementSlider:
                std::cout << " offset (" << number(s.offset_x) << "," << number(s.offset_y)
                          << ") value (" << number(s.value_x) << "," << number(s.value_y) << ")";
                break;
            case ElementMovingImage:
                std::cout << " fraction (" << number(s.fraction_x) << "," << number(s.fraction_y)
                          << ") value (" << number(s.value_x) << "," << number(s.value_y) << ")";
                break;
            case ElementSprite:
                std::cout << " offset (" << number(s.offset_x) << "," << number(s.offset_y)
                          << ") rotation " << number(s.rotation) << " centre ("
                          << s.texture_center.x << "," << s.texture_center.y << ") scale ("
                          << number(s.texture_scale_x) << "," << number(s.texture_scale_y) << ")";
                break;
            default:
                break;
        }
        std::cout << (s.hidden ? " hidden" : "") << "\n";
    }
}

void printEvents(const tw::Host& host, const Options& o) {
    if (o.json) {
        std::cout << "{\"events\":" << eventsJson(host) << "}\n";
        return;
    }
    for (const auto& e : host.events())
        std::cout << "event " << e.id << " value " << e.value
                  << (e.source == tw::SentEvent::Module ? "" : " (sent by the host)") << "\n";
}

// The gauge the command names; with --ticks the master gauge goes on the panel
// first, since the systems timer runs only while it is connected.
// The other gauges follow it: those of --with, then those that --at presses.
tw::Gauge* findPlaced(tw::Host& host, const std::string& name) {
    for (const auto& g : host.gauges())
        if (g->name() == name) return g.get();
    return nullptr;
}

tw::Gauge* place(tw::Host& host, const std::string& name) {
    if (tw::Gauge* g = findPlaced(host, name)) return g;
    tw::Gauge* g = host.createGauge(name);
    if (!g) throw UsageError{"no gauge named '" + name + "'"};
    return g;
}

tw::Gauge* createNamed(tw::Host& host, const Options& o) {
    const std::string& name = o.positional[0];
    if (o.ticks > 0 && name != "FLOOD_SW" && host.module().findGauge(name))
        host.createGauge("FLOOD_SW");
    tw::Gauge* g = host.createGauge(name, o.param);
    if (!g) throw UsageError{"no gauge named '" + name + "'"};
    for (const std::string& other : o.with) place(host, other);
    for (const TimedPress& t : o.presses) {
        if (t.tick > o.ticks)
            throw UsageError{"--at " + std::to_string(t.tick) + " is past --ticks"};
        place(host, t.gauge);
    }
    return g;
}

tw::Gauge* gaugeFor(tw::Host& host, const Options& o, size_t needed) {
    if (o.positional.size() != needed)
        throw UsageError{"wrong number of arguments for " + o.command};
    return createNamed(host, o);
}

PIXPOINT pointFor(const tw::Gauge& g, const std::string& x, const std::string& y);

// What follows a command's mouse action: the systems timer's periods, with the
// presses of --at between them in the order given, then frames.
void runAfter(tw::Host& host, const Options& o) {
    constexpr uint32_t TimeOfDay = 557;
    constexpr double SecondsPerDay = 86400.0, TickSeconds = 0.055;
    for (int tick = 0; tick <= o.ticks; ++tick) {
        for (const TimedPress& t : o.presses) {
            if (t.tick != tick) continue;
            tw::Gauge& g = *findPlaced(host, t.gauge);
            PIXPOINT p = pointFor(g, t.x, t.y);
            if (!g.press(p.x, p.y))
                throw UsageError{"no clickable area at that point of " + g.name()};
            g.release();
        }
        if (tick == o.ticks) break;
        if (o.time_of_day) {
            double t = std::fmod(*o.time_of_day + tick * TickSeconds, SecondsPerDay);
            host.setVar(TimeOfDay, t < 0 ? t + SecondsPerDay : t);
        }
        host.runTicks(1);
    }
    host.frames(o.frames);
}

// The point given by positional arguments `at` and `at + 1`, anywhere.
PIXPOINT anyPoint(const Options& o, size_t at) {
    return PIXPOINT{static_cast<int32_t>(parseInteger(o.positional[at], "x", -100000, 100000)),
                    static_cast<int32_t>(parseInteger(o.positional[at + 1], "y", -100000, 100000))};
}

PIXPOINT pointFor(const tw::Gauge& g, const std::string& x, const std::string& y) {
    PIXPOINT p{static_cast<int32_t>(parseInteger(x, "x", -100000, 100000)),
               static_cast<int32_t>(parseInteger(y, "y", -100000, 100000))};
    // Areas without a size of their own (a lamp's tooltip) cover the whole gauge.
    auto extent = g.mouseAreas().extent();
    if (extent && !extent->contains(p.x, p.y))
        throw UsageError{"point (" + x + "," + y + ") is outside " + g.name()};
    return p;
}

PIXPOINT pointFor(const tw::Gauge& g, const Options& o) {
    return pointFor(g, o.positional[1], o.positional[2]);
}

// ---- The weather radar ----------------------------------------------------------

// Points inside radartc's range selector areas, by selector position.
constexpr PIXPOINT RangeSelectorAt[5] = {{5, 120}, {5, 100}, {10, 75}, {30, 75}, {55, 75}};

void selectRadarRange(tw::Host& host, tw::Gauge* controls, int position) {
    if (position < 0) return;
    if (!controls || controls->name() != "radartc") controls = host.createGauge("radartc");
    PIXPOINT p = RangeSelectorAt[position];
    if (!controls->press(p.x, p.y)) throw UsageError{"radartc has no range selector"};
    controls->release();
}

// The level one layer of a cell draws, read back from its two sprites: which
// one shows and which quadrant of its texture (levels 1..4 on the first, 5..8
// on the second; the second's 9 shares 5's quadrant).
int layerLevel(const tw::ElementState* low, const tw::ElementState* high) {
    auto quadrant = [](const tw::ElementState& s) {
        return (s.value_x >= 0 ? 1 : 0) + (s.value_y > 0 ? 2 : 0);
    };
    if (low && !low->hidden) return 1 + quadrant(*low);
    if (high && !high->hidden) return 5 + quadrant(*high);
    return 0;
}

// The fan as text, top row first: each cell its layer A and layer B levels
// ('.' for none), staggered as the display lays them out.
void printFan(const tw::Gauge& radar, int tick) {
    constexpr int Rows = 10, Columns = 17;
    constexpr uint32_t LayerALow = 0x6110, LayerAHigh = 0x6120, LayerBLow = 0x6130,
                       LayerBHigh = 0x6140;
    struct Cell {
        bool present = false;
        const tw::ElementState* sprite[4] = {};  // A low, A high, B low, B high
    };
    Cell cells[Rows][Columns];
    for (const auto& s : radar.drawState()) {
        if (s.type != ElementSprite) continue;
        int c = (s.position.x - 1) / 8, k = (146 - s.position.y) / 13;
        if (c < 0 || c >= Columns || k < 0 || k >= Rows) continue;
        int slot = s.resource_id == LayerALow    ? 0
                   : s.resource_id == LayerAHigh ? 1
                   : s.resource_id == LayerBLow  ? 2
                   : s.resource_id == LayerBHigh ? 3
                                                 : -1;
        if (slot < 0) continue;
        cells[k][c].present = true;
        cells[k][c].sprite[slot] = &s;
    }
    std::cout << "tick " << tick << "\n";
    for (int k = Rows - 1; k >= 0; --k) {
        std::string line;
        for (int c = 0; c < Columns; ++c) {
            const Cell& cell = cells[k][c];
            if (!cell.present) {
                line += "   ";
                continue;
            }
            int a = layerLevel(cell.sprite[0], cell.sprite[1]);
            int b = layerLevel(cell.sprite[2], cell.sprite[3]);
            line += ' ';
            line += a ? static_cast<char>('0' + a) : '.';
            line += b ? static_cast<char>('0' + b) : '.';
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        std::cout << line << "\n";
    }
}

int radar(tw::Host& host, const Options& o) {
    if (!o.positional.empty()) throw UsageError{"radar takes no arguments"};
    host.createGauge("FLOOD_SW");
    tw::Gauge* controls = host.createGauge("radartc");
    tw::Gauge* display = host.createGauge("radar");
    selectRadarRange(host, controls, o.radar_range < 0 ? 2 : o.radar_range);
    const int ticks = o.ticks_given ? o.ticks : 80;
    host.frame();
    for (int t = 1; t <= ticks; ++t) {
        host.runTicks(1);
        if (!o.json && o.every && t % o.every == 0 && t != ticks) printFan(*display, t);
    }
    if (o.json)
        printState(*display, o);
    else
        printFan(*display, ticks);
    return 0;
}

int run(const Options& o) {
    tw::Host host(o.module.empty() ? tw::Module::defaultPath() : o.module);
    for (auto [id, v] : o.vars) host.setVar(id, v);
    for (const auto& [expression, v] : o.calculations) host.setCalculatorResult(expression, v);
    // The weather service before any gauge, so that the master gauge finds it.
    if (o.weather || o.radar_range >= 0 || o.command == "radar")
        host.startOffsetServer().serveWeather(o.field);
    if (o.command == "radar") return radar(host, o);
    if (o.command == "list") {
        if (!o.positional.empty()) throw UsageError{"list takes no arguments"};
        return list(host, o);
    }
    if (o.command == "show") {
        tw::Gauge* g = gaugeFor(host, o, 1);
        selectRadarRange(host, g, o.radar_range);
        if (o.ticks == 0) {
            runAfter(host, o);
            printState(*g, o);
            return 0;
        }
        // What the systems timer sent while it ran, then the state it left.
        host.clearLogs();
        runAfter(host, o);
        if (o.json) {
            printState(*g, o, eventsJson(host));
        } else {
            printEvents(host, o);
            printState(*g, o);
        }
        return 0;
    }
    if (o.command == "click") {
        tw::Gauge* g = gaugeFor(host, o, 3);
        selectRadarRange(host, g, o.radar_range);
        PIXPOINT p = pointFor(*g, o);
        host.frame();
        host.clearLogs();
        if (!g->press(p.x, p.y))
            throw UsageError{"no clickable area at that point of " + g->name()};
        g->release();
        runAfter(host, o);
        printEvents(host, o);
        if (!o.json) printState(*g, o);
        return 0;
    }
    if (o.command == "drag") {
        if (o.positional.size() < 5 || o.positional.size() % 2 == 0)
            throw UsageError{"drag wants GAUGE X Y X2 Y2 [X3 Y3]..."};
        tw::Gauge* g = createNamed(host, o);
        selectRadarRange(host, g, o.radar_range);
        PIXPOINT p = pointFor(*g, o);
        std::vector<PIXPOINT> path;
        for (size_t i = 3; i < o.positional.size(); i += 2) path.push_back(anyPoint(o, i));
        host.frame();
        host.clearLogs();
        if (!g->press(p.x, p.y))
            throw UsageError{"no clickable area at that point of " + g->name()};
        for (PIXPOINT q : path) g->drag(q.x, q.y);
        g->release();
        runAfter(host, o);
        printEvents(host, o);
        if (!o.json) printState(*g, o);
        return 0;
    }
    if (o.command == "tooltip") {
        tw::Gauge* g = gaugeFor(host, o, 3);
        selectRadarRange(host, g, o.radar_range);
        PIXPOINT p = pointFor(*g, o);
        runAfter(host, o);
        auto text = g->tooltipAt(p.x, p.y);
        if (!text) throw UsageError{"no tooltip at that point of " + g->name()};
        std::cout << (o.json ? "{\"tooltip\":" + jsonString(*text) + "}" : *text) << "\n";
        return 0;
    }
    if (o.command == "render") {
        if (o.out.empty()) throw UsageError{"render needs --out FILE.png"};
        tw::Gauge* g = gaugeFor(host, o, 1);
        host.frame();
        for (PIXPOINT c : o.clicks) {
            if (!g->press(c.x, c.y))
                throw UsageError{"no clickable area at (" + std::to_string(c.x) + "," +
                                 std::to_string(c.y) + ") of " + g->name()};
            g->release();
            host.frame();
        }
        runAfter(host, o);
        tw::Pictures pictures(host.module().handle());
        tw::Image img = tw::renderGauge(*g, pictures);
        tw::writePng(o.out, img);
        std::cout << "wrote " << o.out << " (" << img.width << " x " << img.height << ")\n";
        return 0;
    }
    if (o.command == "render-panel") {
        if (o.positional.size() != 1) throw UsageError{"render-panel wants PANEL.cfg"};
        if (o.out.empty()) throw UsageError{"render-panel needs --out FILE.png"};
        tw::PanelConfig cfg = tw::readPanelConfig(o.positional[0]);
        auto placed = tw::placePanel(host, cfg);
        runAfter(host, o);
        tw::Pictures pictures(host.module().handle());
        tw::Image img = tw::drawPanel(cfg, placed, pictures);
        tw::writePng(o.out, img);
        std::cout << "wrote " << o.out << " (" << img.width << " x " << img.height << ", "
                  << placed.size() << " gauges)\n";
        return 0;
    }
    throw UsageError{o.command.empty() ? "no command given"
                                       : "unknown command '" + o.command + "'"};
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(parse(argc, argv));
    } catch (const UsageError& e) {
        std::cerr << "tarnwick: " << e.message << "\n" << Usage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "tarnwick: " << e.what() << "\n";
        return 1;
    }
}
