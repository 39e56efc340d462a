// tarnwick: the module on the bundled host, from the command line.
//
//   tarnwick list                              the gauges with their widths, element
//                                              and mouse-area counts and tooltips
//   tarnwick show GAUGE [--frames N]           one gauge's draw state after N frames
//   tarnwick click GAUGE X Y [--frames N]      a left press at a point, then N frames
//   tarnwick drag GAUGE X Y X2 Y2 [X3 Y3]...   a left press at (X,Y), the pointer moved
//                                              with the button down through the other
//                                              points (anywhere, also off the gauge),
//                                              the release, then N frames
//   tarnwick tooltip GAUGE X Y                 the tooltip at a point
//
// Options for every command: --var ID=VALUE (a host variable, repeatable),
// --param TEXT (the gauge's parameter string), --ticks N (the master gauge
// FLOOD_SW is placed too, and N periods of the systems timer run, each with
// a frame, before the frames of --frames), --module PATH (on 32-bit Linux
// also the shipping Windows DLL, build/win32/tarnwick.gau), --json.

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

namespace {

struct Options {
    std::string command;
    std::vector<std::string> positional;
    std::vector<std::pair<uint32_t, double>> vars;
    std::string param;
    std::string module;
    int frames = 1;
    int ticks = 0;
    bool json = false;
};

struct UsageError {
    std::string message;
};

const char* Usage =
    "usage: tarnwick list|show|click|tooltip [GAUGE [X Y]] [--frames N] [--ticks N]\n"
    "                [--var ID=VALUE]... [--param TEXT] [--module PATH] [--json]\n"
    "       tarnwick drag GAUGE X Y X2 Y2 [X3 Y3]... [same options]\n";

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
        } else if (a[i] == "--var") {
            std::string v = value("--var");
            size_t eq = v.find('=');
            if (eq == std::string::npos) throw UsageError{"bad --var, want ID=VALUE: '" + v + "'"};
            auto id = static_cast<uint32_t>(
                parseInteger(v.substr(0, eq), "variable id", 0, 0xFFFFFFFFLL));
            o.vars.emplace_back(id, parseNumber(v.substr(eq + 1), "variable value"));
        } else if (a[i] == "--param") {
            o.param = value("--param");
        } else if (a[i] == "--module") {
            o.module = value("--module");
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
    s << (std::isfinite(v) ? v : 0.0);
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

void printState(const tw::Gauge& g, const Options& o) {
    if (o.json) {
        std::cout << "{\"gauge\":" << jsonString(g.name()) << ",\"elements\":[";
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
                              << ",\"offset_y\":" << number(s.offset_y);
                    break;
                case ElementMovingImage:
                    std::cout << ",\"fraction_x\":" << number(s.fraction_x)
                              << ",\"fraction_y\":" << number(s.fraction_y);
                    break;
                case ElementSprite:
                    std::cout << ",\"offset_x\":" << number(s.offset_x)
                              << ",\"offset_y\":" << number(s.offset_y)
                              << ",\"rotation\":" << number(s.rotation);
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
                std::cout << " offset (" << number(s.offset_x) << "," << number(s.offset_y) << ")";
                break;
            case ElementMovingImage:
                std::cout << " fraction (" << number(s.fraction_x) << "," << number(s.fraction_y)
                          << ")";
                break;
            case ElementSprite:
                std::cout << " offset (" << number(s.offset_x) << "," << number(s.offset_y)
                          << ") rotation " << number(s.rotation);
                break;
            default:
                break;
        }
        std::cout << (s.hidden ? " hidden" : "") << "\n";
    }
}

void printEvents(const tw::Host& host, const Options& o) {
    if (o.json) {
        std::cout << "{\"events\":[";
        for (size_t i = 0; i < host.events().size(); ++i) {
            const auto& e = host.events()[i];
            std::cout << (i ? "," : "") << "{\"id\":" << e.id << ",\"value\":" << e.value
                      << ",\"source\":\"" << (e.source == tw::SentEvent::Module ? "module" : "area")
                      << "\"}";
        }
        std::cout << "]}\n";
        return;
    }
    for (const auto& e : host.events())
        std::cout << "event " << e.id << " value " << e.value
                  << (e.source == tw::SentEvent::Module ? "" : " (sent by the host)") << "\n";
}

// The gauge the command names; with --ticks the master gauge goes on the panel
// first, since the systems timer runs only while it is connected.
tw::Gauge* createNamed(tw::Host& host, const Options& o) {
    const std::string& name = o.positional[0];
    if (o.ticks > 0 && name != "FLOOD_SW" && host.module().findGauge(name))
        host.createGauge("FLOOD_SW");
    tw::Gauge* g = host.createGauge(name, o.param);
    if (!g) throw UsageError{"no gauge named '" + name + "'"};
    return g;
}

tw::Gauge* gaugeFor(tw::Host& host, const Options& o, size_t needed) {
    if (o.positional.size() != needed)
        throw UsageError{"wrong number of arguments for " + o.command};
    return createNamed(host, o);
}

// What follows a command's mouse action: the systems timer's periods, then frames.
void runAfter(tw::Host& host, const Options& o) {
    host.runTicks(o.ticks);
    host.frames(o.frames);
}

// The point given by positional arguments `at` and `at + 1`, anywhere.
PIXPOINT anyPoint(const Options& o, size_t at) {
    return PIXPOINT{static_cast<int32_t>(parseInteger(o.positional[at], "x", -100000, 100000)),
                    static_cast<int32_t>(parseInteger(o.positional[at + 1], "y", -100000, 100000))};
}

PIXPOINT pointFor(const tw::Gauge& g, const Options& o) {
    PIXPOINT p = anyPoint(o, 1);
    // Areas without a size of their own (a lamp's tooltip) cover the whole gauge.
    auto extent = g.mouseAreas().extent();
    if (extent && !extent->contains(p.x, p.y))
        throw UsageError{"point (" + o.positional[1] + "," + o.positional[2] + ") is outside " +
                         g.name()};
    return p;
}

int run(const Options& o) {
    tw::Host host(o.module.empty() ? tw::Module::defaultPath() : o.module);
    for (auto [id, v] : o.vars) host.setVar(id, v);
    if (o.command == "list") {
        if (!o.positional.empty()) throw UsageError{"list takes no arguments"};
        return list(host, o);
    }
    if (o.command == "show") {
        tw::Gauge* g = gaugeFor(host, o, 1);
        runAfter(host, o);
        printState(*g, o);
        return 0;
    }
    if (o.command == "click") {
        tw::Gauge* g = gaugeFor(host, o, 3);
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
        PIXPOINT p = pointFor(*g, o);
        runAfter(host, o);
        auto text = g->tooltipAt(p.x, p.y);
        if (!text) throw UsageError{"no tooltip at that point of " + g->name()};
        std::cout << (o.json ? "{\"tooltip\":" + jsonString(*text) + "}" : *text) << "\n";
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
