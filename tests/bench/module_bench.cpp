// What the module costs the host per call: a systems tick (which must finish
// well within its 55 ms period), the same with the weather radar sampling
// (at most 20 us), a frame of the whole panel, split into the
// host's full frame and the module's own callbacks in it, FLOOD_SW's connect
// with the twenty sounds, and playing a sound (one call on an existing buffer,
// no file access, no allocation). scripts/bench sets them against their
// budgets.

#include <benchmark/benchmark.h>

#include <vector>

#include "framework/gauge.h"
#include "host/allocation_count.h"
#include "host/host.h"
#include "sound/sound_player.h"
#include "tests/support/cockpit.h"
#include "tests/support/whole_panel.h"
#include "tests/support/wav_files.h"

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

// The radar on at 20 nm over a storm ahead, every cell's report stored: each
// tick reads the weather block, asks for the next cell and recomputes all 71.
void BM_SystemsTickWithRadar(benchmark::State& state) {
    tw::Host host;
    tw::WeatherField field;
    field.storms.push_back({10.0 / 60, 0.0, 6.0, {9000, 6, 5, 4}});
    field.ground.push_back({-0.1, -0.1, 5.0, 2500.0});
    host.startOffsetServer().serveWeather(field);
    host.createGauge("FLOOD_SW");
    tw::Gauge* controls = host.createGauge("radartc");
    host.createGauge("radar");
    host.setVar(131, 1.0);
    host.setVar(73, 3000.0);
    if (!controls->press(10, 75)) {  // the range selector at 20 nm
        state.SkipWithError("radartc has no range selector");
        return;
    }
    controls->release();
    host.frame();
    double t = 0;
    for (int i = 0; i < 80; ++i) host.runFor(55);  // a full sweep first
    unsigned asked = host.offsetServer()->weatherRequests();
    for (auto _ : state) {
        host.setVar(604, t += 0.055);
        host.runFor(55);
    }
    state.SetLabel(std::to_string(host.offsetServer()->weatherRequests() - asked) + " cells asked");
}
BENCHMARK(BM_SystemsTickWithRadar);

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
