// The 55 ms systems timer procedure and the state only it keeps.
#pragma once

#include "framework/host_records.h"
#include "framework/panel_state.h"
#include "platform/windows_api.h"

void CALLBACK systemsTick(HWND window, UINT message, UINT_PTR timer_id, DWORD system_time);

extern "C" {
extern double TimeNow;
extern double TimePrev;
extern double DeltaTime;  // -99999 until the first tick has read the time
extern double PrevToken304;
extern double PrevToken303;
// The engine-running records, as the tick last refreshed them; the throttle
// quadrant reads them between ticks.
extern MODULE_VAR EngineRunningVar[EngineCount];
}
