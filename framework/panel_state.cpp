#include "framework/panel_state.h"

extern "C" {

int32_t IpcConnected = 0;
uint32_t IpcResult = 0;
int32_t HostHasSimObjects = 0;

uint32_t PowerAvailable = 0;
int32_t BatterySwitch = 1;
uint8_t ExternalPowerAvailable = 0;
uint8_t ExternalPowerOn = 0;
int32_t ExternalAirConnected = 0;

uint8_t StarterSwitch[EngineCount] = {};
uint32_t StarterEngaged[EngineCount] = {};
double StarterSeconds[EngineCount] = {};
uint8_t StartArm = 0;
double StarterPressure = 0.0;
uint32_t StartLeverOpen[EngineCount] = {};
double FuelLeverTime[EngineCount] = {};
uint32_t LightOffActive[EngineCount] = {};
double FuelUsed[EngineCount] = {};

int32_t ApVerticalMode = 2;
int32_t ApHorizontalMode = 2;
int32_t ApEngageSwitch = 0;
int32_t ApRollKnob = 0;
int32_t ApBankTarget = 0;
int32_t ApRollCommand = 0;
int32_t ApVsTarget = 0;
double ApCurrentVs = 0.0;
double ApVsCommand = 0.0;
double ApVsCommandLast = 0.0;
double ApSpeedReference = 0.0;
double ApMachReference = 0.0;
int32_t ApHeadingSnapshot = 0;

int32_t RadarPower = 0;
double RadarRange = 20.0;
int32_t RadarGain = 3;
int32_t RadarTilt = 0;
int32_t RadarCellEcho[RadarCellCount] = {};
int32_t RadarCellShade[RadarCellCount] = {};

int32_t AlerterAltitude = 0;
int32_t AlerterDeviation = 0;
int32_t PitotHeaterInop = 0;
int32_t PitotHeaterInopDeadline = 0;

int32_t FloodLightsOn = 0;

}  // extern "C"
