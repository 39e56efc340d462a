// The weather radar's sampling of the host's weather: the 71 cells of the fan,
// where each lies and how high the beam passes over it, the echo a stored
// weather report gives at that height, the smoothed value the display draws,
// and the systems tick's step that asks the offset service for one cell's
// report at a time.
#pragma once

#include <cstdint>

#include "framework/panel_state.h"

constexpr int RadarCellsInSweep = 71;
constexpr int RadarBlockSize = 1024;

// The cell codes in sweep order. A code is 22 + 30 k + c for the fan's row k
// (0 at the bottom) and column c; it indexes RadarCellEcho and RadarCellShade.
inline constexpr int32_t RADAR_CELL_CODES[RadarCellsInSweep] = {
    112, 172, 54,  83,  114, 143, 174, 203, 234, 56,  85,  116, 145, 176, 205, 236, 265, 296,
    27,  58,  87,  118, 147, 178, 207, 238, 267, 298, 29,  60,  89,  120, 149, 180, 209, 240,
    269, 300, 31,  62,  91,  122, 151, 182, 211, 242, 271, 302, 33,  64,  93,  124, 153, 184,
    213, 244, 273, 304, 66,  95,  126, 155, 186, 215, 246, 275, 97,  128, 157, 188, 217};

constexpr int32_t radarCellRow(int32_t code) { return (code - 22) / 30; }
constexpr int32_t radarCellColumn(int32_t code) { return (code - 22) % 30; }

// Every code names a cell of the staggered fan: ten rows of at most seventeen
// columns, odd columns on even rows and even columns on odd rows.
constexpr bool radarCellCodesAreTheFan() {
    for (int32_t code : RADAR_CELL_CODES) {
        int32_t k = radarCellRow(code), c = radarCellColumn(code);
        if (code < 22 || code >= RadarCellCount || k > 9 || c > 16 || (k + c) % 2 == 0)
            return false;
    }
    return true;
}
static_assert(radarCellCodesAreTheFan());

// Two cells touch when their codes differ by 2 (same row) or by 29 or 31 (the
// rows above and below).
constexpr bool radarCellsTouch(int32_t a, int32_t b) {
    int32_t d = a > b ? a - b : b - a;
    return d == 2 || d == 29 || d == 31;
}

struct RadarPosition {
    double latitude;   // degrees
    double longitude;  // degrees, -180..180
};

extern "C" {

// The last report received for each cell, by sweep position; all zero until
// the cell's first answer.
extern uint8_t RadarBlocks[RadarCellsInSweep][RadarBlockSize];
extern int32_t RadarSweepIndex;  // sweep position of the cell whose report is awaited
extern double RadarRequestLat;   // the current request's position, degrees
extern double RadarRequestLon;
extern double RadarLastLat;  // the position last requested; -444 for both before the first
extern double RadarLastLon;
extern uint32_t RadarRequestCommand;    // written with each request, always 0
extern const char RadarStationCode[4];  // written with each request: four spaces

// The geographic position of a cell, from the aircraft's position, attitude,
// heading, the antenna tilt and the range. Not finite when the host's values
// are not.
RadarPosition radarCellPosition(int32_t code);
// The beam's height over a cell, metres.
double radarCellDistance(int32_t code);
// The echo code a weather report gives at a beam height: 10 times the far
// layer's strength plus the near one's, or -99 where the ground is above the
// beam. Reads only the block's 1024 bytes.
int32_t radarCellEchoCode(const uint8_t* block, double height);
// The display value of the cell at a sweep position (clamped to 0..70): units
// 0..6, tens 0..5.
int32_t radarCellSmooth(int32_t sweep_position);

// Step 9 of the systems tick: does nothing unless the offset service is
// connected and the radar is on.
void radarSamplingStep();

}  // extern "C"
