// libFuzzer target for the whole panel through the host's interface: every
// gauge of the module's table on one panel, the offset server up with a
// weather field, then any sequence of what a simulator and a pilot can do, in
// any order and with any values. The module (linked into this program), the
// bundled host and the stand-in run under AddressSanitizer and
// UndefinedBehaviorSanitizer; besides their findings the target stops on
//   - a heap allocation by any action but placing a gauge, starting the
//     offset server or giving the calculator an answer (the host's own work
//     there), the removal of the whole panel at the end included, and
//   - anything of the machinery left once the last FLOOD_SW has gone: timers,
//     mappings, open files, sound devices and buffers, and at the end of the
//     input, with the offset server stopped, windows and atoms too; a sound
//     buffer used after its release.
//
// The module stays loaded from one input to the next, as a simulator keeps it
// while panels come and go: its variables carry over, each input starts on a
// new host, stand-in and clock.
//
// Input: actions, each an op byte then its operands (little-endian; missing
// bytes read 0). Gauges are named by their place among the live instances
// (the table's order until the input places or removes one), modulo their
// count. A value is a selector byte: below 128 one of the awkward numbers
// below, else an f64 follows. tests/fuzz/panel_seeds.py writes the seeds.
//   0 set      u16 variable (modulo 1024), value
//   1 press    gauge, i16 x, i16 y
//   2 press    gauge, u8 area, u8 fx, u8 fy: at fx/256, fy/256 of that area's box
//   3 repeat   gauge, u8 times (modulo 16, plus 1): the button held
//   4 drag     gauge, i16 x, i16 y
//   5 release  gauge
//   6 frames   u8 count (modulo 8, plus 1)
//   7 ticks    u8 count (modulo 64, plus 1): systems timer periods, a frame each
//   8 counts   u8 count (modulo 32, plus 1): the tick counter on, timer still
//   9 jump     value: the tick counter set to it
//  10 tooltip  gauge, i16 x, i16 y
//  11 remove   gauge
//  12 place    u8 table index (modulo the table's length), u8 length (modulo
//              16), that many bytes: its parameter string, as a panel
//              configuration line gives it
//  13 server   u8 what (below), u8 batches for a late answer
//  14 calc     u8 which (bit 0: the expression, bit 1: forget it), value
//  15 time     u16 milliseconds (modulo 500) with no tick counted
//  16 sweep    gauge, u8 at: every child area pressed at at/256 of its box
//              across and down, held, dragged a quarter of its height
//              down and released
//  17 tooltips gauge, u8 at: the tooltip at that point of every parent area

#include <fcntl.h>
#include <unistd.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/allocation_count.h"
#include "host/host.h"
#include "platform/linux/stand_in.h"
#include "tests/support/machinery.h"

namespace {

constexpr uint32_t TickCounter = 1;
constexpr uint32_t VariableIds = 1024;  // every variable the module reads lies below
constexpr int MaxLiveGauges = 400;      // several copies of each, not unbounded
constexpr int FrameBudget = 2000;       // frames an input may run, ticks and counts included
constexpr uint32_t MaxIdleMs = 500;

const char* const Expressions[] = {"(A:ADF ACTIVE FREQUENCY:2, KHz)", "(A:ADF RADIAL:2,degrees)"};

// Storm cells and high ground near the start, as the radar scenario flies.
tw::WeatherField weatherField() {
    tw::WeatherField f;
    f.storms.push_back({0.1667, 0.0, 6.0, {9000, 5, 6, 4}});
    f.storms.push_back({-0.05, 0.2, 10.0, {4000, 8, 5, 1}});
    f.storms.push_back({0.0, -0.3, 30.0, {65535, 255, 255, 255}});
    f.ground.push_back({0.1, 0.1, 5.0, 1500.0});
    f.elevation_elsewhere_m = 10.0;
    return f;
}

[[noreturn]] void fail(const char* what, unsigned long long a = 0, unsigned long long b = 0) {
    std::fprintf(stderr, "panel fuzz: %s (%llu, %llu)\n", what, a, b);
    std::abort();
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}
    bool done() const { return at_ >= end_; }
    template <typename T>
    T take() {
        T v{};
        size_t n =
            static_cast<size_t>(end_ - at_) < sizeof v ? static_cast<size_t>(end_ - at_) : sizeof v;
        std::memcpy(&v, at_, n);
        at_ += n;
        return v;
    }
    double value() {
        static const double Awkward[16] = {std::nan(""),  INFINITY,
                                           -INFINITY,     1e300,
                                           -1e300,        0.0,
                                           -1.0,          DBL_MAX,
                                           -DBL_MAX,      std::numeric_limits<double>::denorm_min(),
                                           -0.0,          2147483648.0,
                                           -2147483649.0, 4294967296.0,
                                           -65536.0,      1e-300};
        uint8_t selector = take<uint8_t>();
        return selector < 128 ? Awkward[selector % 16] : take<double>();
    }

private:
    const uint8_t* at_;
    const uint8_t* end_;
};

using twtest::held;
using twtest::Held;

// Once no FLOOD_SW is left the machinery must be as it was before any gauge
// came; windows and atoms only with the offset server as it was too.
void expectMachineryGone(const Held& before, bool whole) {
    Held now = held();
    if (now.timers != before.timers) fail("timer left", now.timers, before.timers);
    if (now.mappings != before.mappings) fail("mapping left", now.mappings, before.mappings);
    if (now.files != before.files) fail("file left open", now.files, before.files);
    if (now.devices != 0) fail("sound device left", now.devices);
    if (now.buffers != 0) fail("sound buffer left", now.buffers);
    if (now.misused != 0) fail("sound buffer used after its release", now.misused);
    if (whole && now.windows != before.windows) fail("window left", now.windows, before.windows);
    if (whole && now.atoms != before.atoms) fail("atom left", now.atoms, before.atoms);
}

bool masterOnPanel(const tw::Host& host) {
    for (const auto& g : host.gauges())
        if (g->name() == "FLOOD_SW") return true;
    return false;
}

std::string g_folder;  // the program's folder, where the build put Sound/ and resources/

// The bitmaps' sizes, read once: a host that loads its 250 bitmaps for every
// input would spend most of the run on that. The module reads no bitmap
// itself; the host only wants their sizes.
struct BitmapSize {
    uint32_t id;
    int32_t width, height;
};
std::vector<BitmapSize> g_sizes;

void readBitmapSizes() {
    tw::Host host(g_folder + "tarnwick.gau");
    std::ifstream script(g_folder + "resources/tarnwick.rc");
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream words(line);
        uint32_t id = 0;
        std::string type;
        if (!(words >> id >> type) || type != "BITMAP") continue;
        if (auto size = host.bitmapSizes().find(id)) g_sizes.push_back({id, size->x, size->y});
    }
    if (g_sizes.size() < 200) fail("bitmaps not found beside the program", g_sizes.size());
}

// One input on its own host, which finds no resource script where it looks
// and takes the sizes from the table.
void run(Reader& in) {
    tw::Host host(g_folder + "panel_fuzzer.bitmaps/tarnwick.gau");
    for (const BitmapSize& b : g_sizes) host.bitmapSizes().set(b.id, b.width, b.height);
    const Held before = held();
    tw::OffsetServer* server = &host.startOffsetServer();
    server->serveWeather(weatherField());
    const Held serving = held();
    size_t table = 0;
    for (GAUGE_HEADER* const* g = host.module().linkage()->gauge_table; *g; ++g) ++table;
    for (size_t i = 0; i < table; ++i) host.createGauge(host.module().linkage()->gauge_table[i]);

    int budget = FrameBudget;
    auto gauge = [&](uint8_t n) -> tw::Gauge* {
        const auto& live = host.gauges();
        return live.empty() ? nullptr : live[n % live.size()].get();
    };
    auto point = [&] {
        return std::pair<int32_t, int32_t>{in.take<int16_t>(), in.take<int16_t>()};
    };

    while (!in.done() && budget > 0) {
        const uint8_t op = in.take<uint8_t>() % 18;
        // The host's placing of a gauge allocates its instance; starting the
        // server stands for the simulator's own work. Nothing else may.
        bool counted = op != 12 && op != 13;
        tw::AllocationCount count;
        switch (op) {
            case 0: {
                uint32_t id = in.take<uint16_t>() % VariableIds;
                host.setVar(id, in.value());
                break;
            }
            case 1: {
                tw::Gauge* g = gauge(in.take<uint8_t>());
                auto [x, y] = point();
                if (g) g->press(x, y);
                break;
            }
            case 2: {
                tw::Gauge* g = gauge(in.take<uint8_t>());
                uint8_t area = in.take<uint8_t>(), fx = in.take<uint8_t>(), fy = in.take<uint8_t>();
                if (!g || g->mouseAreas().areas().empty()) break;
                const auto& areas = g->mouseAreas().areas();
                const tw::Box& b = areas[area % areas.size()].box;
                g->press(b.x + static_cast<int32_t>(static_cast<int64_t>(b.width) * fx / 256),
                         b.y + static_cast<int32_t>(static_cast<int64_t>(b.height) * fy / 256));
                break;
            }
            case 3: {
                tw::Gauge* g = gauge(in.take<uint8_t>());
                int times = in.take<uint8_t>() % 16 + 1;
                if (g) g->repeat(times);
                break;
            }
            case 4: {
                tw::Gauge* g = gauge(in.take<uint8_t>());
                auto [x, y] = point();
                if (g) g->drag(x, y);
                break;
            }
            case 5:
                if (tw::Gauge* g = gauge(in.take<uint8_t>())) g->release();
                break;
            case 6: {
                int n = in.take<uint8_t>() % 8 + 1;
                host.frames(n);
                budget -= n;
                break;
            }
            case 7: {
                int n = in.take<uint8_t>() % 64 + 1;
                host.runTicks(n);
                budget -= n;
                break;
            }
            case 8: {
                int n = in.take<uint8_t>() % 32 + 1;
                for (int i = 0; i < n; ++i) {
                    host.setVar(TickCounter, host.var(TickCounter) + 1);
                    host.frame();
                }
                budget -= n;
                break;
            }
            case 9:
                host.setVar(TickCounter, in.value());
                break;
            case 10: {
                tw::Gauge* g = gauge(in.take<uint8_t>());
                auto [x, y] = point();
                if (g) g->formatTooltip(x, y);
                break;
            }
            case 11: {
                tw::Gauge* g = gauge(in.take<uint8_t>());
                if (!g) break;
                const bool master = g->name() == "FLOOD_SW";
                host.destroyGauge(g);
                if (count.allocations() != 0) fail("allocation", op, count.allocations());
                counted = false;  // the check below copies what it reads
                if (master && !masterOnPanel(host))
                    expectMachineryGone(server ? serving : before, false);
                break;
            }
            case 12: {
                uint8_t n = in.take<uint8_t>();
                std::string parameters(in.take<uint8_t>() % 16, '\0');
                for (char& c : parameters) c = static_cast<char>(in.take<uint8_t>());
                if (host.gauges().size() < MaxLiveGauges)
                    host.createGauge(host.module().linkage()->gauge_table[n % table], parameters);
                break;
            }
            case 13: {
                uint8_t what = in.take<uint8_t>() % 12, late = in.take<uint8_t>();
                if (what == 11) {  // back, as new
                    if (!server) {
                        server = &host.startOffsetServer();
                        server->serveWeather(weatherField());
                    }
                    break;
                }
                if (!server) break;
                switch (what) {
                    case 0:
                    case 1:
                        twplat::setWindowHung(server->window(), what == 0);
                        break;
                    case 2:
                        server->setBehaviour(tw::OffsetServer::Behaviour::Normal);
                        break;
                    case 3:
                        server->setBehaviour(tw::OffsetServer::Behaviour::AnswerZero);
                        break;
                    case 4:
                        server->setBehaviour(tw::OffsetServer::Behaviour::Garbage);
                        break;
                    case 5:
                        server->setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Prompt);
                        break;
                    case 6:
                        server->setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Late, late);
                        break;
                    case 7:
                        server->setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Never);
                        break;
                    case 8:
                        server->setWeatherAnswers(tw::OffsetServer::WeatherAnswers::Garbage);
                        break;
                    case 9:
                        server->setSimVersion(late);
                        break;
                    default:  // gone
                        host.stopOffsetServer();
                        server = nullptr;
                        break;
                }
                break;
            }
            case 14: {
                uint8_t which = in.take<uint8_t>();
                double v = in.value();
                // The host keeps what its calculator gives in a map of its own.
                counted = false;
                if (which & 2)
                    host.forgetCalculatorResult(Expressions[which & 1]);
                else
                    host.setCalculatorResult(Expressions[which & 1], v);
                break;
            }
            case 15:
                host.runFor(in.take<uint16_t>() % MaxIdleMs);
                break;
            default: {
                tw::Gauge* g = gauge(in.take<uint8_t>());
                const uint8_t at = in.take<uint8_t>();
                if (!g) break;
                const auto kind = op == 16 ? tw::MouseArea::Child : tw::MouseArea::Parent;
                for (const tw::MouseArea& a : g->mouseAreas().areas()) {
                    if (a.kind != kind) continue;
                    const int32_t x =
                        a.box.x + static_cast<int32_t>(int64_t{a.box.width} * at / 256);
                    const int32_t y =
                        a.box.y + static_cast<int32_t>(int64_t{a.box.height} * at / 256);
                    if (op == 17) {
                        g->formatTooltip(x, y);
                    } else if (g->press(x, y)) {
                        g->repeat();
                        g->drag(x, y + a.box.height / 4);
                        g->release();
                    }
                }
                break;
            }
        }
        if (counted && count.allocations() != 0) fail("allocation", op, count.allocations());
    }

    {
        tw::AllocationCount count;
        while (!host.gauges().empty()) host.destroyGauge(host.gauges().back().get());
        if (count.allocations() != 0) fail("allocation removing the panel", count.allocations());
    }
    host.stopOffsetServer();
    expectMachineryGone(before, true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p(buf, n > 0 ? static_cast<size_t>(n) : 0);
    g_folder = p.substr(0, p.find_last_of('/') + 1);
    readBitmapSizes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The master gauge loads ".\Sound\..." from the simulator's folder; the
    // corpus and the artifacts stay where libFuzzer was started.
    int here = open(".", O_RDONLY | O_DIRECTORY);
    if (here < 0 || chdir(g_folder.c_str()) != 0) fail("cannot enter the program's folder");
    Reader in(data, size);
    run(in);
    if (fchdir(here) != 0) fail("cannot go back");
    close(here);
    return 0;
}
