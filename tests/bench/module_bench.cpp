// What the module costs the host per call: a systems tick (which must finish
// well within its 55 ms period), the same with the weather radar sampling
// (at most 20 us), a frame of the whole panel, and playing a sound (one call
// on an existing buffer, no file access, no allocation).

#include <benchmark/benchmark.h>

#include "host/host.h"
#include "sound/sound_player.h"
#include "tests/support/wav_files.h"

namespace {

void BM_SystemsTick(benchmark::State& state) {
    tw::Host host;
    host.startOffsetServer();
    host.createGauge("FLOOD_SW");
    host.setVar(131, 1.0);
    host.setVar(60, 1.0);
    host.setVar(61, 150.0);
    double t = 0;
    for (auto _ : state) {
        host.setVar(604, t += 0.055);
        host.runFor(55);
    }
    state.SetLabel(std::to_string(host.lookups(604)) + " ticks");
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

void BM_PanelFrame(benchmark::State& state) {
    tw::Host host;
    for (GAUGE_HEADER* const* g = host.module().linkage()->gauge_table; *g; ++g)
        host.createGauge((*g)->gauge_name);
    for (auto _ : state) host.frame();
}
BENCHMARK(BM_PanelFrame);

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
