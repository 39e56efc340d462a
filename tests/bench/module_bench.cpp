// What the module costs the host per call: a systems tick (which must finish
// well within its 55 ms period), a frame of the whole panel, and playing a
// sound (one call on an existing buffer, no file access, no allocation).

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
