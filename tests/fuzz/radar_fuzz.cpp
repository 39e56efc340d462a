// libFuzzer target for the weather radar's sampling: any weather block the
// offset service hands back, any settings and any attitude (NaN included) must
// give echo codes and display values in their ranges, and every read and write
// must stay inside the module's arrays and the 1024-byte block.
//
// Input: range (f64), gain, tilt, sweep position (i32 each), whether the last
// request is still open (u8), the host's variables 71, 72, 73, 77, 79, 86 (f64
// each), a beam height (f64), the 1024-byte block, then echo codes (i32 each)
// for the smoothing on its own.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/gauge.h"
#include "ipc/ipc_client.h"
#include "systems/weather_radar.h"

namespace {

constexpr uint32_t VarIds[6] = {71, 72, 73, 77, 79, 86};
double vars[6];

void HOSTAPI lookupVar(MODULE_VAR* var) {
    for (int i = 0; i < 6; ++i)
        if (var->id == VarIds[i]) var->var_value = vars[i];
}

PANEL_SERVICES services{};

// The offset service: one read of the block, answered from the input.
const uint8_t* served = nullptr;
void* readInto = nullptr;
uint32_t readSize = 0;

template <typename T>
T take(const uint8_t*& at, const uint8_t* end) {
    T v{};
    if (end - at >= static_cast<ptrdiff_t>(sizeof v)) std::memcpy(&v, at, sizeof v);
    at += end - at >= static_cast<ptrdiff_t>(sizeof v) ? sizeof v : end - at;
    return v;
}

bool echoInRange(int32_t e) { return e == -99 || (e >= 0 && e <= 10 * 255 + 255); }
bool shadeInRange(int32_t s) { return s >= 0 && s % 10 <= 6 && s / 10 <= 5; }

}  // namespace

extern "C" {
IMPORT_TABLE ImportTable = {{{ImportPanelsId, &services}, {0, nullptr}}};

BOOL ipcRead(uint32_t offset, uint32_t size, void* destination, uint32_t* result) {
    if (offset != 0xCC00 || size != RadarBlockSize) __builtin_trap();
    readInto = destination;
    readSize = size;
    *result = 0;
    return 1;
}
BOOL ipcWrite(uint32_t offset, uint32_t size, const void* source, uint32_t* result) {
    bool known = (offset == 0xCC10 || offset == 0xCC18)   ? size == 8
                 : (offset == 0xCC08 || offset == 0xCC04) ? size == 4
                                                          : false;
    if (!known) __builtin_trap();
    uint8_t copy[8];
    std::memcpy(copy, source, size);  // the source must be readable
    *result = 0;
    return 1;
}
BOOL ipcProcess(uint32_t* result) {
    if (readInto && served) std::memcpy(readInto, served, readSize);
    readInto = nullptr;
    *result = 0;
    return 1;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    services.lookup_var = lookupVar;
    const uint8_t* at = data;
    const uint8_t* end = data + size;
    RadarRange = take<double>(at, end);
    RadarGain = take<int32_t>(at, end);
    RadarTilt = take<int32_t>(at, end);
    RadarSweepIndex = take<int32_t>(at, end);
    const bool open = take<uint8_t>(at, end) & 1;
    for (double& v : vars) v = take<double>(at, end);
    const double height = take<double>(at, end);
    // A copy of exactly the block's size, so that any read past it is caught.
    std::vector<uint8_t> block(RadarBlockSize);
    for (uint8_t& b : block) b = take<uint8_t>(at, end);
    served = block.data();

    if (!echoInRange(radarCellEchoCode(block.data(), height))) __builtin_trap();

    // The echo codes the last input's smoothing left are none the tick made.
    std::memset(RadarCellEcho, 0, sizeof RadarCellEcho);
    IpcConnected = 1;
    RadarPower = 1;
    RadarLastLat = open ? -444.0 : std::nan("");
    RadarLastLon = RadarLastLat;
    const int32_t before = RadarSweepIndex;
    radarSamplingStep();
    if (RadarSweepIndex != before && (RadarSweepIndex < 0 || RadarSweepIndex >= RadarCellsInSweep))
        __builtin_trap();
    for (int32_t code : RADAR_CELL_CODES) {
        if (!echoInRange(RadarCellEcho[code]) || !shadeInRange(RadarCellShade[code]))
            __builtin_trap();
    }

    // The smoothing over any echo codes at all.
    for (int32_t code : RADAR_CELL_CODES) RadarCellEcho[code] = take<int32_t>(at, end);
    for (int32_t i = -1; i <= RadarCellsInSweep; ++i)
        if (!shadeInRange(radarCellSmooth(i))) __builtin_trap();
    return 0;
}
