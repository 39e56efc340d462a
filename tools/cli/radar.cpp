// The radar command: the weather radar on over a weather field, its fan of 71
// cells printed as text as the sweep fills it in.
#include <iostream>

#include "tools/cli/cli.h"

namespace twcli {

namespace {

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

}  // namespace

int radarCommand(const Options& o) {
    auto host = makeHost(o, true);
    host->createGauge("FLOOD_SW");
    tw::Gauge* controls = host->createGauge("radartc");
    tw::Gauge* display = host->createGauge("radar");
    selectRadarRange(*host, controls, o.radar_range < 0 ? 2 : o.radar_range);
    const int ticks = o.ticks_given ? o.ticks : 80;
    host->frame();
    for (int t = 1; t <= ticks; ++t) {
        host->runTicks(1);
        if (!o.json && o.every && t % o.every == 0 && t != ticks) printFan(*display, t);
    }
    if (o.json)
        printState(*display, o);
    else
        printFan(*display, ticks);
    return 0;
}

}  // namespace twcli
