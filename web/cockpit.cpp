// The browser cockpit's program: the bundled host with the module linked in,
// the cockpit's panel configuration placed on it, and the few calls the page
// makes (time, mouse, host variables, pictures, events, sounds). Everything
// runs on the page's one thread, as the module's window thread would.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/panel_config.h"
#include "host/render.h"
#include "host/weather_field.h"
#include "platform/linux/stand_in.h"
#include "web/host_model.h"

namespace {

using tw::Gauge;
using tw::Host;

constexpr double PeriodSeconds = 0.055;
constexpr size_t EventLogCapacity = 1 << 16;

// One gauge as the page shows it: its box on the panel picture and the last
// picture the page was given.
struct Shown {
    tw::PlacedGauge placed;
    size_t window = 0;                   // its window's place in the configuration
    int32_t x = 0, y = 0, w = 0, h = 0;  // on the panel, panel pixels
    PIXPOINT size{};                     // the gauge's own pixels
    std::vector<uint8_t> rgba;
    uint64_t state = 0;  // drawStateHash of the last picture
    bool dirty = true;
};

struct SoundNote {
    int buffer;
    int kind;  // 0 play, 1 stop, 2 volume
    bool looping;
    long volume;
};

struct Cockpit {
    tw::PanelConfig config;
    std::unique_ptr<Host> host;
    std::unique_ptr<tw::Pictures> pictures;
    std::vector<Shown> shown;
    int32_t width = 0, height = 0;
    struct Window {
        int32_t top, width, height;
        tw::Image background;       // its bitmap at its design size, or the panel colour
        std::vector<uint8_t> rgba;  // the same for the page
    };
    std::vector<Window> windows;  // on the panel picture, in the configuration's order
    std::vector<tw::SentEvent> events;
    tw::web::HostModel model;
    bool model_on = true;
    double pending_ms = 0.0;
    std::vector<LPDIRECTSOUNDBUFFER> buffers;  // a buffer's number is its place here
    std::vector<SoundNote> sounds;
    std::string text;  // the last string handed to the page
};

Cockpit* g_cockpit = nullptr;
std::string g_error;

int bufferNumber(LPDIRECTSOUNDBUFFER b) {
    auto& list = g_cockpit->buffers;
    auto it = std::find(list.begin(), list.end(), b);
    if (it != list.end()) return static_cast<int>(it - list.begin());
    list.push_back(b);
    return static_cast<int>(list.size() - 1);
}

void onSound(LPDIRECTSOUNDBUFFER b, twplat::SoundEvent event, bool looping, LONG volume) {
    if (!g_cockpit || g_cockpit->sounds.size() > 1024) return;
    g_cockpit->sounds.push_back(
        SoundNote{bufferNumber(b), static_cast<int>(event), looping, static_cast<long>(volume)});
}

// The events of the host's log move to the page's, so that the host's stays
// small and the model hears each once.
void collectEvents() {
    Cockpit& c = *g_cockpit;
    const auto& log = c.host->events();
    for (size_t i = 0; i < log.size(); ++i) {
        if (c.model_on) c.model.hear(log[i]);
        if (c.events.size() >= EventLogCapacity)
            c.events.erase(c.events.begin(), c.events.begin() + EventLogCapacity / 2);
        c.events.push_back(log[i]);
    }
    c.host->clearLogs();
}

void runPeriods(int count) {
    Cockpit& c = *g_cockpit;
    for (int i = 0; i < count; ++i) {
        if (c.model_on) c.model.step(*c.host, PeriodSeconds);
        c.host->runTicks(1);
        collectEvents();
    }
}

Shown* at(int index) {
    if (!g_cockpit || index < 0 || static_cast<size_t>(index) >= g_cockpit->shown.size())
        return nullptr;
    return &g_cockpit->shown[static_cast<size_t>(index)];
}

// A point of the panel picture in the gauge's own pixels.
PIXPOINT toGauge(const Shown& s, int32_t x, int32_t y) {
    auto scale = [](int32_t v, int32_t from, int32_t to) {
        return from > 0 ? static_cast<int32_t>(static_cast<int64_t>(v) * to / from) : 0;
    };
    return PIXPOINT{scale(x - s.x, s.w, s.size.x), scale(y - s.y, s.h, s.size.y)};
}

// Latin-1 bytes (the module's tooltips) as UTF-8 for the page.
std::string utf8(std::string_view latin1) {
    std::string out;
    for (unsigned char ch : latin1) {
        if (ch < 0x80) {
            out.push_back(static_cast<char>(ch));
        } else {
            out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
            out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        }
    }
    return out;
}

// What a gauge's picture depends on, hashed: the same draw state draws the
// same picture, so that an unchanged gauge (most of them, most frames) is not
// drawn again.
uint64_t drawStateHash(const Gauge& g) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const void* p, size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    };
    for (const tw::ElementState& e : g.drawState()) {
        const double numbers[] = {e.angle,   e.offset_x,        e.offset_y,       e.rotation,
                                  e.value,   e.fraction_x,      e.fraction_y,     e.value_x,
                                  e.value_y, e.texture_scale_x, e.texture_scale_y};
        const int32_t whole[] = {e.hidden ? 1 : 0,
                                 e.image,
                                 e.position.x,
                                 e.position.y,
                                 e.texture_center.x,
                                 e.texture_center.y,
                                 static_cast<int32_t>(e.resource_id)};
        mix(numbers, sizeof numbers);
        mix(whole, sizeof whole);
    }
    return h;
}

const char* give(std::string s) {
    g_cockpit->text = std::move(s);
    return g_cockpit->text.c_str();
}

}  // namespace

extern "C" {

// Loads the module, places the panel configuration's gauges and lays them out
// as render-panel does. Returns the number of gauges, or -1 with the reason in
// tw_error().
EMSCRIPTEN_KEEPALIVE int tw_start(const char* panel_path) {
    if (g_cockpit) return static_cast<int>(g_cockpit->shown.size());
    try {
        g_cockpit = new Cockpit;
        Cockpit& c = *g_cockpit;
        twplat::setSoundListener(onSound);
        c.config = tw::readPanelConfig(panel_path ? panel_path : "/panel.cfg");
        c.host = std::make_unique<Host>();
        c.host->setVar(60, 1.0);    // on the ground
        c.host->setVar(76, 29.92);  // standard pressure
        // The offset service answers the weather radar: a thunderstorm 10 nm
        // north of the aircraft, 6 nm across, its top at 9000 m.
        c.host->startOffsetServer().serveWeather(
            tw::WeatherField{{{0.1667, 0.0, 6.0, {9000, 6, 5, 4}}}, {}, 0.0});
        c.pictures = std::make_unique<tw::Pictures>(c.host->module().handle());
        // The windows' backgrounds lie beside the configuration or with the
        // module's bitmaps.
        tw::Backgrounds backgrounds = tw::loadBackgrounds(c.config, {"/", "/resources"});
        std::vector<tw::PlacedGauge> placed = tw::placePanel(*c.host, c.config);
        c.host->frame();
        collectEvents();
        // The boxes and window tops of drawPanel.
        std::map<const tw::PanelWindow*, int32_t> heights;
        for (const tw::PlacedGauge& p : placed) {
            Shown s;
            s.placed = p;
            s.size = tw::gaugeSize(*p.gauge, *c.pictures);
            s.w = p.line->width ? p.line->width : s.size.x;
            s.h = p.line->height ? p.line->height
                                 : (s.size.x > 0 ? s.w * s.size.y / s.size.x : s.size.y);
            s.x = p.line->x;
            s.y = p.line->y;
            heights[p.window] = std::max(heights[p.window], p.line->y + s.h);
            c.shown.push_back(std::move(s));
        }
        std::map<const tw::PanelWindow*, size_t> places;
        int32_t height = 0, width = 1;
        for (const tw::PanelWindow& w : c.config.windows) {
            places[&w] = c.windows.size();
            width = std::max(width, w.width);
            constexpr int32_t MaxSide = 16384;
            int32_t ww = std::clamp(w.width, 1, MaxSide);
            int32_t h = std::clamp(w.height ? w.height : heights[&w], 1, MaxSide);
            tw::Image bg(ww, h, tw::PanelColour);
            if (auto it = backgrounds.find(w.section); it != backgrounds.end())
                tw::drawScaled(bg, it->second, 0, 0, ww, h);  // stretched, as the simulator does
            std::vector<uint8_t> rgba(bg.pixels.size() * 4);
            for (size_t k = 0; k < bg.pixels.size(); ++k) {
                rgba[4 * k] = static_cast<uint8_t>(bg.pixels[k] >> 16);
                rgba[4 * k + 1] = static_cast<uint8_t>(bg.pixels[k] >> 8);
                rgba[4 * k + 2] = static_cast<uint8_t>(bg.pixels[k]);
                rgba[4 * k + 3] = 255;
            }
            c.windows.push_back({height, ww, h, std::move(bg), std::move(rgba)});
            height += h;
        }
        for (Shown& s : c.shown) {
            s.window = places[s.placed.window];
            s.y += c.windows[s.window].top;
        }
        c.width = std::min(width, 16384);
        c.height = std::clamp(height, 1, 16384);
        return static_cast<int>(c.shown.size());
    } catch (const std::exception& e) {
        // Nothing half made stays behind: every call after this does nothing.
        delete g_cockpit;
        g_cockpit = nullptr;
        g_error = e.what();
        std::fprintf(stderr, "tarnwick: %s\n", e.what());
        return -1;
    }
}

EMSCRIPTEN_KEEPALIVE const char* tw_error() { return g_error.c_str(); }

EMSCRIPTEN_KEEPALIVE int tw_panel_width() { return g_cockpit ? g_cockpit->width : 0; }
EMSCRIPTEN_KEEPALIVE int tw_panel_height() { return g_cockpit ? g_cockpit->height : 0; }

// Window n of the configuration: its title; its top, width and height on the
// panel picture (part 0, 1, 2); its background (RGBA, width x height), which
// the page draws under its gauges.
EMSCRIPTEN_KEEPALIVE int tw_window_count() {
    return g_cockpit ? static_cast<int>(g_cockpit->windows.size()) : 0;
}
EMSCRIPTEN_KEEPALIVE const char* tw_window_title(int n) {
    if (!g_cockpit || n < 0 || n >= tw_window_count()) return "";
    return g_cockpit->config.windows[static_cast<size_t>(n)].title.c_str();
}
EMSCRIPTEN_KEEPALIVE int tw_window_box(int n, int part) {
    if (!g_cockpit || n < 0 || n >= tw_window_count()) return 0;
    const Cockpit::Window& w = g_cockpit->windows[static_cast<size_t>(n)];
    return part == 0 ? w.top : part == 1 ? w.width : part == 2 ? w.height : 0;
}

EMSCRIPTEN_KEEPALIVE const uint8_t* tw_window_pixels(int n) {
    if (!g_cockpit || n < 0 || n >= tw_window_count()) return nullptr;
    return g_cockpit->windows[static_cast<size_t>(n)].rgba.data();
}

EMSCRIPTEN_KEEPALIVE int tw_gauge_count() {
    return g_cockpit ? static_cast<int>(g_cockpit->shown.size()) : 0;
}
EMSCRIPTEN_KEEPALIVE const char* tw_gauge_name(int i) {
    Shown* s = at(i);
    return s ? s->placed.gauge->name().c_str() : "";
}
// x, y, width, height of the gauge's box on the panel picture; then the
// gauge's own width and height; then its window's place.
EMSCRIPTEN_KEEPALIVE int tw_gauge_box(int i, int part) {
    Shown* s = at(i);
    if (!s) return 0;
    switch (part) {
        case 4:
            return s->size.x;
        case 5:
            return s->size.y;
        case 0:
            return s->x;
        case 1:
            return s->y;
        case 2:
            return s->w;
        case 3:
            return s->h;
        case 6:
            return static_cast<int>(s->window);
    }
    return 0;
}

// The page's clock: ms have passed; the systems timer's periods that fall in
// them run (at most `limit`, so that a page that slept does not stall).
// Returns the periods run.
EMSCRIPTEN_KEEPALIVE int tw_advance(double ms, int limit) {
    if (!g_cockpit || !(ms > 0)) return 0;
    Cockpit& c = *g_cockpit;
    c.pending_ms = std::min(c.pending_ms + ms, 1000.0 * 60);
    int n = std::min(static_cast<int>(c.pending_ms / (PeriodSeconds * 1000)), std::max(limit, 0));
    c.pending_ms -= n * PeriodSeconds * 1000;
    if (n == std::max(limit, 0)) c.pending_ms = std::min(c.pending_ms, PeriodSeconds * 1000);
    runPeriods(n);
    return n;
}

// Periods at once, whatever the clock (tests, and the page's fast forward).
EMSCRIPTEN_KEEPALIVE void tw_run_ticks(int count) {
    if (g_cockpit) runPeriods(std::clamp(count, 0, 100000));
}

// One frame of every gauge, as after a mouse action.
EMSCRIPTEN_KEEPALIVE void tw_frame() {
    if (!g_cockpit) return;
    g_cockpit->host->frame();
    collectEvents();
}

// Draws every gauge after its last frame; those whose picture changed since
// the page last took it are marked. Returns how many.
EMSCRIPTEN_KEEPALIVE int tw_render() {
    if (!g_cockpit) return 0;
    int changed = 0;
    for (Shown& s : g_cockpit->shown) {
        const uint64_t state = drawStateHash(*s.placed.gauge);
        if (state == s.state && !s.rgba.empty()) continue;
        s.state = state;
        // Over the window's background, which shows through the gauge's
        // transparent parts.
        const Cockpit::Window& w = g_cockpit->windows[s.window];
        tw::Image own = tw::renderGaugeOver(*s.placed.gauge, *g_cockpit->pictures, w.background,
                                            s.x, s.y - w.top, s.w, s.h);
        tw::Image boxed(std::max(s.w, 1), std::max(s.h, 1), tw::PanelColour);
        tw::drawScaled(boxed, own, 0, 0, s.w, s.h);
        s.rgba.resize(boxed.pixels.size() * 4);
        for (size_t k = 0; k < boxed.pixels.size(); ++k) {
            uint32_t p = boxed.pixels[k];
            s.rgba[4 * k] = static_cast<uint8_t>(p >> 16);
            s.rgba[4 * k + 1] = static_cast<uint8_t>(p >> 8);
            s.rgba[4 * k + 2] = static_cast<uint8_t>(p);
            s.rgba[4 * k + 3] = 255;
        }
        s.dirty = true;
        ++changed;
    }
    return changed;
}
// The picture of a changed gauge (its box's width x height, RGBA), or null
// when it has not changed since it was last taken.
EMSCRIPTEN_KEEPALIVE const uint8_t* tw_take_pixels(int i) {
    Shown* s = at(i);
    if (!s || !s->dirty || s->rgba.empty()) return nullptr;
    s->dirty = false;
    return s->rgba.data();
}

// The gauge under a point of the panel picture, or -1: the last placed wins,
// as it is drawn on top.
EMSCRIPTEN_KEEPALIVE int tw_gauge_at(int x, int y) {
    if (!g_cockpit) return -1;
    for (int i = tw_gauge_count() - 1; i >= 0; --i) {
        const Shown& s = g_cockpit->shown[static_cast<size_t>(i)];
        if (x >= s.x && y >= s.y && x < s.x + s.w && y < s.y + s.h) return i;
    }
    return -1;
}

// Mouse, at points of the panel picture. A press returns 1 when a child area
// took it.
EMSCRIPTEN_KEEPALIVE int tw_press(int i, int x, int y) {
    Shown* s = at(i);
    if (!s) return 0;
    PIXPOINT p = toGauge(*s, x, y);
    bool took = s->placed.gauge->press(p.x, p.y);
    collectEvents();
    return took ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void tw_repeat(int i) {
    if (Shown* s = at(i)) s->placed.gauge->repeat();
    if (g_cockpit) collectEvents();
}
EMSCRIPTEN_KEEPALIVE void tw_drag(int i, int x, int y) {
    Shown* s = at(i);
    if (!s) return;
    PIXPOINT p = toGauge(*s, x, y);
    s->placed.gauge->drag(p.x, p.y);
    collectEvents();
}
EMSCRIPTEN_KEEPALIVE void tw_release(int i) {
    if (Shown* s = at(i)) s->placed.gauge->release();
    if (g_cockpit) collectEvents();
}
// The cursor code of the child area under the point, -1 for none.
EMSCRIPTEN_KEEPALIVE int tw_cursor(int i, int x, int y) {
    Shown* s = at(i);
    if (!s) return -1;
    PIXPOINT p = toGauge(*s, x, y);
    return s->placed.gauge->mouseAreas().cursorAt(p.x, p.y);
}
// The tooltip there as the host formats it, in UTF-8; empty for none.
EMSCRIPTEN_KEEPALIVE const char* tw_tooltip(int i, int x, int y) {
    Shown* s = at(i);
    if (!s) return "";
    PIXPOINT p = toGauge(*s, x, y);
    auto text = s->placed.gauge->formatTooltip(p.x, p.y);
    return give(text ? utf8(*text) : std::string());
}

EMSCRIPTEN_KEEPALIVE void tw_set_var(unsigned id, double value) {
    if (!g_cockpit) return;
    try {
        g_cockpit->host->setVar(id, value);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnwick: %s\n", e.what());
    }
}
EMSCRIPTEN_KEEPALIVE double tw_var(unsigned id) { return g_cockpit ? g_cockpit->host->var(id) : 0; }

// Whether the host model closes the loop of the engines.
EMSCRIPTEN_KEEPALIVE void tw_set_model(int on) {
    if (g_cockpit) g_cockpit->model_on = on != 0;
}

// The events sent since the start (the most recent 65536 at most), from the
// n-th on, as JSON: [[source, id, value], ...], source 0 module, 1 mouse area.
EMSCRIPTEN_KEEPALIVE int tw_event_count() {
    return g_cockpit ? static_cast<int>(g_cockpit->events.size()) : 0;
}
EMSCRIPTEN_KEEPALIVE const char* tw_events_json(int from) {
    if (!g_cockpit) return "[]";
    std::string out = "[";
    const auto& ev = g_cockpit->events;
    for (size_t k = static_cast<size_t>(std::max(from, 0)); k < ev.size(); ++k) {
        if (out.size() > 1) out += ',';
        out += '[' + std::to_string(ev[k].source == tw::SentEvent::MouseArea ? 1 : 0) + ',' +
               std::to_string(ev[k].id) + ',' + std::to_string(ev[k].value) + ']';
    }
    return give(out + "]");
}

// What the sound buffers did since the last call, as JSON:
// [[buffer, kind, looping, volume], ...], kind 0 play, 1 stop, 2 volume.
EMSCRIPTEN_KEEPALIVE const char* tw_sound_notes() {
    if (!g_cockpit) return "[]";
    std::string out = "[";
    for (const SoundNote& n : g_cockpit->sounds) {
        if (out.size() > 1) out += ',';
        out += '[' + std::to_string(n.buffer) + ',' + std::to_string(n.kind) + ',' +
               (n.looping ? "1" : "0") + ',' + std::to_string(n.volume) + ']';
    }
    g_cockpit->sounds.clear();
    return give(out + "]");
}
// A buffer's PCM bytes, with its format through tw_sound_format.
EMSCRIPTEN_KEEPALIVE const uint8_t* tw_sound_bytes(int buffer) {
    if (!g_cockpit || buffer < 0 || static_cast<size_t>(buffer) >= g_cockpit->buffers.size())
        return nullptr;
    auto* bytes =
        twplat::soundBufferBytes(g_cockpit->buffers[static_cast<size_t>(buffer)], nullptr);
    return bytes && !bytes->empty() ? bytes->data() : nullptr;
}
// part 0 byte count, 1 channels, 2 samples per second, 3 bits per sample.
EMSCRIPTEN_KEEPALIVE int tw_sound_format(int buffer, int part) {
    if (!g_cockpit || buffer < 0 || static_cast<size_t>(buffer) >= g_cockpit->buffers.size())
        return 0;
    WAVEFORMATEX f{};
    auto* bytes = twplat::soundBufferBytes(g_cockpit->buffers[static_cast<size_t>(buffer)], &f);
    if (!bytes) return 0;
    switch (part) {
        case 0:
            return static_cast<int>(bytes->size());
        case 1:
            return f.nChannels;
        case 2:
            return static_cast<int>(f.nSamplesPerSec);
        case 3:
            return f.wBitsPerSample;
    }
    return 0;
}

}  // extern "C"

int main() { return 0; }
