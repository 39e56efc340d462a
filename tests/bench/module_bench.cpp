// What the module costs the host per call: a systems tick (which must finish
// well within its 55 ms period), the same with the weather radar sampling
// (at most 20 us with the bundled offset server, of which the module's own
// share at most 5 us), a frame of the whole panel, split into the
// host's full frame and the module's own callbacks in it, FLOOD_SW's connect
// with the twenty sounds, and playing a sound (one call on an existing buffer,
// no file access, no allocation). scripts/bench sets them against their
// budgets.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/gauge.h"
#include "host/allocation_count.h"
#include "host/host.h"
#include "host/host_instance.h"
#include "sound/sound_player.h"
#include "tests/support/cockpit.h"
#include "tests/support/wav_files.h"
#include "tests/support/whole_panel.h"

namespace {

// Heap allocations per iteration, beside the time: none is the rule.
class AllocationsPerIteration {
public:
    void report(benchmark::State& state) {
        state.counters["allocs"] = benchmark::Counter(static_cast<double>(count_.allocations()),
                                                      benchmark::Counter::kAvgIterations);
    }

private:
    tw::AllocationCount count_;
};

void BM_SystemsTick(benchmark::State& state) {
    tw::Host host;
    host.startOffsetServer();
    host.createGauge("FLOOD_SW");
    host.setVar(131, 1.0);
    host.setVar(60, 1.0);
    host.setVar(61, 150.0);
    double t = 0;
    AllocationsPerIteration allocs;
    for (auto _ : state) {
        host.setVar(604, t += 0.055);
        host.runFor(55);
    }
    allocs.report(state);
}
BENCHMARK(BM_SystemsTick);

// The radar on at 20 nm, the systems timer running, after a full sweep: every
// cell's report stored. False when the panel has no range selector.
bool startRadar(tw::Host& host) {
    host.createGauge("FLOOD_SW");
    tw::Gauge* controls = host.createGauge("radartc");
    host.createGauge("radar");
    host.setVar(131, 1.0);
    host.setVar(73, 3000.0);
    if (!controls->press(10, 75)) return false;  // the range selector at 20 nm
    controls->release();
    host.frame();
    for (int i = 0; i < 80; ++i) host.runFor(55);
    return true;
}

// The radar over a storm ahead with the bundled offset service answering:
// each tick reads the weather block, asks for the next cell and recomputes all
// 71.
void BM_SystemsTickWithRadar(benchmark::State& state) {
    tw::Host host;
    tw::WeatherField field;
    field.storms.push_back({10.0 / 60, 0.0, 6.0, {9000, 6, 5, 4}});
    field.ground.push_back({-0.1, -0.1, 5.0, 2500.0});
    host.startOffsetServer().serveWeather(field);
    if (!startRadar(host)) {
        state.SkipWithError("radartc has no range selector");
        return;
    }
    double t = 0;
    unsigned asked = host.offsetServer()->weatherRequests();
    AllocationsPerIteration allocs;
    for (auto _ : state) {
        host.setVar(604, t += 0.055);
        host.runFor(55);
    }
    allocs.report(state);
    state.SetLabel(std::to_string(host.offsetServer()->weatherRequests() - asked) + " cells asked");
}
BENCHMARK(BM_SystemsTickWithRadar);

// An offset server that costs next to nothing: it maps the client's block at
// its first message and keeps the view, and carries out reads and writes on
// an address space that already holds a weather report. The request's
// position, written at 0xCC10 and 0xCC18, lands in the report's own position
// fields, so every read answers the last request.
class HeldBlockServer {
public:
    explicit HeldBlockServer(std::vector<uint8_t> space) : space_(std::move(space)) {
        self_ = this;
        WNDCLASSA wc{};
        wc.lpfnWndProc = windowProc;
        wc.hInstance = tw::hostInstance();
        wc.lpszClassName = "UIPCMAIN";
        RegisterClassA(&wc);
        message_ = RegisterWindowMessageA("FsasmLib:IPC");
        window_ = CreateWindowExA(0, "UIPCMAIN", "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                                  nullptr);
    }
    ~HeldBlockServer() {
        if (view_) UnmapViewOfFile(view_);
        DestroyWindow(window_);
        UnregisterClassA("UIPCMAIN", tw::hostInstance());
        self_ = nullptr;
    }
    HeldBlockServer(const HeldBlockServer&) = delete;
    HeldBlockServer& operator=(const HeldBlockServer&) = delete;

private:
    static constexpr size_t BlockSize = 32768;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
        if (!self_ || msg != self_->message_) return DefWindowProcA(hwnd, msg, wparam, lparam);
        return self_->serve(static_cast<ATOM>(wparam));
    }

    LRESULT serve(ATOM atom) {
        if (atom != atom_) {
            if (view_) UnmapViewOfFile(view_);
            view_ = nullptr;
            char name[256] = {};
            if (GlobalGetAtomNameA(atom, name, sizeof name) == 0) return 0;
            HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
            if (!mapping) return 0;
            view_ = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
            CloseHandle(mapping);
            if (!view_) return 0;
            atom_ = atom;
        }
        for (size_t at = 0; at + 12 <= BlockSize;) {
            uint32_t entry[3];
            std::memcpy(entry, view_ + at, sizeof entry);
            const size_t header = entry[0] == 1 ? 16 : entry[0] == 2 ? 12 : 0;
            if (header == 0 || entry[2] > BlockSize - at - header ||
                size_t{entry[1]} + entry[2] > space_.size())
                break;
            if (entry[0] == 1)
                std::memcpy(view_ + at + header, space_.data() + entry[1], entry[2]);
            else
                std::memcpy(space_.data() + entry[1], view_ + at + header, entry[2]);
            at += header + entry[2];
        }
        return 1;
    }

    static inline HeldBlockServer* self_ = nullptr;
    std::vector<uint8_t> space_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    ATOM atom_ = 0;
    uint8_t* view_ = nullptr;
};

// The module's share of the same tick: its timer procedure, its offset client
// and its radar step against the held-block server, which answers every
// request at once, so each tick takes the sweep's costliest path (the read,
// the request's four writes, all 71 cells recomputed over a storm's layers).
void BM_ModuleRadarTick(benchmark::State& state) {
    tw::Host host;
    std::vector<uint8_t> space(tw::OffsetServer::AddressSpace);
    {
        // The bundled server lays out the handshake values and the report.
        tw::OffsetServer& layout = host.startOffsetServer();
        layout.setWeatherReport(10.0 / 60, 0.0, 0.0, {{9000, 6, 5, 4}});
        layout.read(0, space.data(), space.size());
        host.stopOffsetServer();
    }
    HeldBlockServer server(std::move(space));
    if (!startRadar(host)) {
        state.SkipWithError("radartc has no range selector");
        return;
    }
    const auto* sweep = static_cast<const int32_t*>(host.module().symbol("RadarSweepIndex"));
    const int32_t start = sweep ? *sweep : 0;
    double t = 0;
    AllocationsPerIteration allocs;
    for (auto _ : state) {
        host.setVar(604, t += 0.055);
        host.runFor(55);
    }
    allocs.report(state);
    // One cell a tick, or the figure is of a cheaper path.
    if (sweep && *sweep != static_cast<int32_t>((start + state.iterations()) % 71))
        state.SkipWithError("a tick's request went unanswered");
}
BENCHMARK(BM_ModuleRadarTick);

// The host's whole frame: services, routines, the walk and the draw state.
void BM_PanelFrame(benchmark::State& state) {
    tw::Host host;
    twtest::createEveryGauge(host);
    host.frame();
    AllocationsPerIteration allocs;
    for (auto _ : state) host.frame();
    allocs.report(state);
}
BENCHMARK(BM_PanelFrame);

// The module's part of the same frame: its gauge callbacks with the services
// of one update, the generic routines and every element callback, called
// straight on the records without the host's walk and bookkeeping.
struct GaugeCalls {
    GAUGE_HEADER* gauge;
    std::vector<std::pair<ElementCallback, ELEMENT_HEADER*>> elements;
};

void gather(ELEMENT_HEADER* e, GaugeCalls& calls, int depth) {
    if (!e || depth > 32) return;
    auto add = [&](ElementCallback cb) {
        if (cb) calls.elements.emplace_back(cb, e);
    };
    switch (e->element_type) {
        case ElementNeedle:
            add(elementAs<ELEMENT_NEEDLE>(e)->update_cb);
            break;
        case ElementSlider:
            add(elementAs<ELEMENT_SLIDER>(e)->x.update_cb);
            add(elementAs<ELEMENT_SLIDER>(e)->y.update_cb);
            break;
        case ElementIcon:
            add(elementAs<ELEMENT_ICON>(e)->update_cb);
            break;
        case ElementMovingImage:
            add(elementAs<ELEMENT_MOVING_IMAGE>(e)->x.update_cb);
            add(elementAs<ELEMENT_MOVING_IMAGE>(e)->y.update_cb);
            break;
        case ElementSprite:
            add(elementAs<ELEMENT_SPRITE>(e)->offset_x.update_cb);
            add(elementAs<ELEMENT_SPRITE>(e)->offset_y.update_cb);
            add(elementAs<ELEMENT_SPRITE>(e)->rotation.update_cb);
            break;
        default:
            break;
    }
    for (int i = 0; e->next_element && e->next_element[i] && i < 64; ++i)
        gather(e->next_element[i], calls, depth + 1);
}

void BM_ModuleFrame(benchmark::State& state) {
    tw::Host host;
    std::vector<GaugeCalls> panel;
    for (tw::Gauge* g : twtest::createEveryGauge(host)) {
        GaugeCalls calls{g->header(), {}};
        if (g->header()->elements_list) gather(g->header()->elements_list[0], calls, 0);
        panel.push_back(std::move(calls));
    }
    host.frame();
    AllocationsPerIteration allocs;
    for (auto _ : state) {
        for (const GaugeCalls& calls : panel) {
            GAUGE_HEADER* h = calls.gauge;
            GaugeCallback cb = h->gauge_callback;
            if (cb) cb(h, ServicePreUpdate, 0);
            h->update_routine();
            for (const auto& [update, element] : calls.elements)
                benchmark::DoNotOptimize(update(element));
            if (cb) cb(h, ServicePostUpdate, 0);
            if (cb) cb(h, ServicePreGenerate, 0);
            h->generate_routine(0);
            if (cb) cb(h, ServicePostGenerate, 0);
            if (cb) cb(h, ServicePreDraw, 0);
            h->draw_routine();
            if (cb) cb(h, ServicePostDraw, 0);
        }
    }
    allocs.report(state);
}
BENCHMARK(BM_ModuleFrame);

// FLOOD_SW's connect: the probe, the offset client's open and handshake, the
// timer, the sound device and the twenty sounds from their files.
void BM_MasterConnect(benchmark::State& state) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    host.startOffsetServer();
    for (auto _ : state) {
        tw::Gauge* flood = host.createGauge("FLOOD_SW");
        state.PauseTiming();
        host.destroyGauge(flood);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MasterConnect)->Unit(benchmark::kMicrosecond);

void BM_SoundPlay(benchmark::State& state) {
    twtest::ScratchFolder dir;
    dir.write("Sound/click.wav", twtest::WavImage().format().data(twtest::samples(512)).bytes());
    tw::Host host;
    auto init = reinterpret_cast<decltype(&soundInit)>(host.module().symbol("soundInit"));
    auto load = reinterpret_cast<decltype(&soundLoad)>(host.module().symbol("soundLoad"));
    auto play = reinterpret_cast<decltype(&soundPlay)>(host.module().symbol("soundPlay"));
    if (!init || !load || !play) {
        state.SkipWithError("the module exports no sound player");
        return;
    }
    init(nullptr);
    SoundHandle click = load(".\\Sound\\click.wav");
    for (auto _ : state) benchmark::DoNotOptimize(play(click, SoundPlayOnce));
}
BENCHMARK(BM_SoundPlay);

}  // namespace

BENCHMARK_MAIN();
