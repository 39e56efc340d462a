// Step 9 of the systems tick: the weather radar's exchange with the host's
// weather service over the offset client, one cell's report per answer, and
// the picture recomputed from the stored reports on every tick.
//
// Reads: the weather block at offsets 0xCC00..0xCFFF, and through the cell
// routines 71, 72, 73, 77, 79, 86. Writes: 0xCC10, 0xCC18 (the request's
// position), 0xCC08 (station), 0xCC04 (command). Sends: nothing. Shares:
// IpcConnected, RadarPower (read), IpcResult, RadarCellEcho, RadarCellShade and
// the sweep's own state (written).

#include <cmath>
#include <cstring>

#include "ipc/ipc_client.h"
#include "systems/weather_radar.h"

extern "C" {
uint8_t RadarBlocks[RadarCellsInSweep][RadarBlockSize] = {};
int32_t RadarSweepIndex = 0;
double RadarRequestLat = 0.0;
double RadarRequestLon = 0.0;
double RadarLastLat = -444.0;
double RadarLastLon = -444.0;
uint32_t RadarRequestCommand = 0;
const char RadarStationCode[4] = {' ', ' ', ' ', ' '};
}

namespace {

constexpr uint32_t WeatherBlockOffset = 0xCC00;
constexpr uint32_t RequestCommandOffset = 0xCC04;
constexpr uint32_t StationCodeOffset = 0xCC08;
constexpr uint32_t RequestLatOffset = 0xCC10;
constexpr uint32_t RequestLonOffset = 0xCC18;
constexpr size_t ReportLatAt = RequestLatOffset - WeatherBlockOffset;
constexpr size_t ReportLonAt = RequestLonOffset - WeatherBlockOffset;

constexpr double NothingRequested = -444.0;
constexpr double SamePosition = 0.001;  // degrees

// What each tick reads the weather block into. It lives as long as the module,
// so an exchange that fails leaves the last block here, which carries the
// position of a cell already stored and so answers nothing.
uint8_t received[RadarBlockSize] = {};

double reportField(size_t at) {
    double v;
    std::memcpy(&v, received + at, sizeof v);
    return v;
}

bool answersRequest() {
    if (RadarLastLat == NothingRequested && RadarLastLon == NothingRequested) return true;
    return std::fabs(RadarLastLat - reportField(ReportLatAt)) < SamePosition &&
           std::fabs(RadarLastLon - reportField(ReportLonAt)) < SamePosition;
}

bool requestIsAPosition() { return std::isfinite(RadarLastLat) && std::isfinite(RadarLastLon); }

// The sweep position awaited, whatever the variable was left holding.
int32_t awaited() {
    return RadarSweepIndex >= 0 && RadarSweepIndex < RadarCellsInSweep ? RadarSweepIndex : 0;
}

// Asks for the report at the cell's position. A position that is not a number
// (the host's attitude or position was not) is not sent: no answer could ever
// match it, and the next tick asks again.
void request(int32_t position) {
    RadarPosition p = radarCellPosition(RADAR_CELL_CODES[position]);
    RadarRequestLat = p.latitude;
    RadarRequestLon = p.longitude;
    RadarRequestCommand = 0;
    RadarLastLat = RadarRequestLat;
    RadarLastLon = RadarRequestLon;
    if (!requestIsAPosition()) return;
    ipcWrite(RequestLatOffset, sizeof RadarRequestLat, &RadarRequestLat, &IpcResult);
    ipcWrite(RequestLonOffset, sizeof RadarRequestLon, &RadarRequestLon, &IpcResult);
    ipcWrite(StationCodeOffset, sizeof RadarStationCode, RadarStationCode, &IpcResult);
    ipcWrite(RequestCommandOffset, sizeof RadarRequestCommand, &RadarRequestCommand, &IpcResult);
    ipcProcess(&IpcResult);
}

void echoAt(int32_t position) {
    const int32_t code = RADAR_CELL_CODES[position];
    RadarCellEcho[code] = radarCellEchoCode(RadarBlocks[position], radarCellDistance(code));
}

}  // namespace

void radarSamplingStep() {
    if (IpcConnected == 0 || RadarPower == 0) return;
    ipcRead(WeatherBlockOffset, RadarBlockSize, received, &IpcResult);
    ipcProcess(&IpcResult);

    int32_t current = awaited();
    if (answersRequest()) {
        std::memcpy(RadarBlocks[current], received, RadarBlockSize);
        current = current + 1 == RadarCellsInSweep ? 0 : current + 1;
        RadarSweepIndex = current;
        request(current);
        // From the report this cell gave in the previous sweep.
        echoAt(current);
    } else if (!requestIsAPosition()) {
        request(current);
    }

    for (int32_t i = 0; i < RadarCellsInSweep; ++i)
        if (i != current) echoAt(i);
    for (int32_t i = 0; i < RadarCellsInSweep; ++i)
        RadarCellShade[RADAR_CELL_CODES[i]] = radarCellSmooth(i);
}
