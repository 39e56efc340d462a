// The host's variable (token) and simulator event numbers, named by what they
// mean to this module.
#pragma once

#include <cstdint>

// Per-engine families: engine n is the first number plus (n - 1) times the stride.
constexpr uint32_t EngineStride35 = 35;
constexpr uint32_t EngineStride19 = 19;
constexpr uint32_t EngineStride5 = 5;  // the fuel-on and fuel cut-off events

namespace hostvar {
constexpr uint32_t TickCounter = 1;         // about 18 counts a second
constexpr uint32_t FloodLightState = 10;    // the host's own flood lighting state
constexpr uint32_t ThrustSwitchState = 15;  // the host switch the take-off thrust rule sets
constexpr uint32_t GroundSpeedRule = 60;    // 1.0 while take-off warning and rolling may sound

// Air data.
constexpr uint32_t IndicatedAirspeed = 61;  // knots
constexpr uint32_t BarberPoleSpeed = 63;    // maximum operating speed, 1/128 kt
constexpr uint32_t MachNumber = 64;         // Mach, 1/20480
constexpr uint32_t AltitudeMetres = 73;

// Engines.
constexpr uint32_t ThrustLever1 = 128;     // stride 35; negative in reverse
constexpr uint32_t StartLever1 = 130;      // stride 35; above 12000 when open
constexpr uint32_t EngineRunning1 = 131;   // stride 35; 1.0 when running
constexpr uint32_t EngineQuantity1 = 136;  // stride 35; compared with 13500
constexpr uint32_t FuelFlow1 = 638;        // stride 19; per hour

// Position quantities whose jumps reveal a repositioning.
constexpr uint32_t PositionA = 303;
constexpr uint32_t PositionB = 304;

// Controls.
constexpr uint32_t QuadrantStartRule = 324;  // with 60, 1.0 sends 66064 as the quadrant starts
constexpr uint32_t SpeedBrakeLever = 325;    // above 0 when raised
constexpr uint32_t FlapLever = 328;
constexpr uint32_t Flaps = 329;
constexpr uint32_t GearPosition = 332;  // 0..16384

// The host's measurement setting, 0, 1 or 2: weights are metric at 1 and 2,
// speeds, distances, altitudes and vertical speeds at 2 only.
constexpr uint32_t UnitSystem = 335;

constexpr uint32_t FurtherPowerSource = 364;  // 1.0 when on
constexpr uint32_t SimulationTime = 604;      // seconds
constexpr uint32_t Trim = 783;                // the pedestal's three trim indicators

// Cabin calls and external power.
constexpr uint32_t OnGround = GroundSpeedRule;  // 1.0 on the ground

// Overhead electrical and lighting panel.
constexpr uint32_t LandingLightsState = 14;  // above 0 when on
// The control position indicator's three pointers.
constexpr uint32_t ControlPositionNeedle = 313;
constexpr uint32_t ControlPositionHorizontal = 316;
constexpr uint32_t ControlPositionVertical = 317;
constexpr uint32_t ElectricalMaster1 = FurtherPowerSource;  // on at 1 or more
constexpr uint32_t ElectricalMaster2 = 363;
constexpr uint32_t ElectricalMaster3 = 740;
constexpr uint32_t AntiCollisionLight = 368;  // 0 when off
constexpr uint32_t NavLights = 619;
constexpr uint32_t WingFloodLights = 621;
constexpr uint32_t LandingLightsExtended = 869;
// ---- Flight instruments and radio heads ----
// Radio frequencies as packed decimal digits, four bits a digit.
constexpr uint32_t AdfFrequency = 16;       // hundreds, tens and units of kHz
constexpr uint32_t AdfFrequencyOuter = 18;  // thousands (bits 8-11) and tenths (bits 0-3)
constexpr uint32_t Com1Frequency = 23;
constexpr uint32_t Nav1Frequency = 24;
constexpr uint32_t Nav2Frequency = 27;
constexpr uint32_t Dme1Distance = 31;  // nautical miles
constexpr uint32_t Dme2Distance = 35;
constexpr uint32_t RmiPointer1Bearing = 39;  // the pointers' normal sources, degrees
constexpr uint32_t RmiPointer2Bearing = 59;
constexpr uint32_t RmiPointer1AlternateBearing = 550;
constexpr uint32_t CourseDeviation = 40;
constexpr uint32_t GlideslopeDeviation = 41;
constexpr uint32_t AdiFlagInput = 43;       // 1.0 drops the flag
constexpr uint32_t AdiFlagSource = 44;      // named by the flag, its value unused
constexpr uint32_t SelectedCourse = 45;     // degrees
constexpr uint32_t VerticalSpeedRaw = 65;   // ft/min times 1.30048, m/s times 256
constexpr uint32_t Altitude = 74;           // feet
constexpr uint32_t BarometricSetting = 76;  // inches of mercury
constexpr uint32_t Pitch = 77;              // degrees
constexpr uint32_t PitchForTooltip = 78;    // shown negated
constexpr uint32_t Bank = 79;               // degrees 0..359
constexpr uint32_t Heading = 81;            // degrees
constexpr uint32_t HeadingForTooltip = 84;
constexpr uint32_t HeadingBug = 107;        // degrees
constexpr uint32_t NavigationFlag = 276;    // 1.0 drops the ADI's and RMI's flags
constexpr uint32_t ToFromIndication = 853;  // 0 none, positive TO, negative FROM
// Indicators: temperature, fuel quantity, oil pressure, clock, flaps, marker
// beacons, true airspeed, gear, pitot heat, radio altitude, reversers, turn
// indicator, parking brake and autopilot disconnect.
constexpr uint32_t ClockHours = 3;  // the tooltip's time of day
constexpr uint32_t ClockMinutes = 4;
constexpr uint32_t ClockSeconds = 5;    // also drives the second hand
constexpr uint32_t ClockHandHours = 6;  // 0..23 on a 12-hour dial
constexpr uint32_t ClockHandMinutes = 7;
constexpr uint32_t PitotHeat = 13;      // 0 off; above 0 when the pitot heat is on
constexpr uint32_t TurnBall = 69;       // balance ball
constexpr uint32_t TurnRate = 70;       // turn needle, -900..900 on the dial
constexpr uint32_t OilPressure1 = 148;  // stride 35; raw host units
constexpr uint32_t TurnIndicatorFlag = 279;
constexpr uint32_t FuelQuantityA = 303;  // gallons; the three are added up
constexpr uint32_t FuelQuantityB = 304;
constexpr uint32_t FuelQuantityC = 305;
constexpr uint32_t FuelWeightPerGallon = 306;  // lb
constexpr uint32_t ParkingBrake = 323;         // non-zero while set
constexpr uint32_t GearLever = 331;
constexpr uint32_t GearLeftPosition = 333;       // 0 up, 16383 down
constexpr uint32_t GearRightPosition = 334;      // 0 up, 16383 down
constexpr uint32_t OutsideAirTemperature = 341;  // degrees Celsius
constexpr uint32_t TotalAirTemperature = 350;    // 1/256 degree Celsius
constexpr uint32_t MarkerBeacon = 354;           // 0 none, 1..3 the three markers
// Weather radar.
constexpr uint32_t RadarCodeDigits = 38;    // the code display's four 4-bit digits
constexpr uint32_t AircraftLatitude = 71;   // 111130.555555 per degree
constexpr uint32_t AircraftLongitude = 72;  // 781875100000 per degree
constexpr uint32_t AttitudeHeading = 86;    // degrees; also turns the radar's textures
// Autopilot, altitude alerter and warnings.
constexpr uint32_t BankAngle = 80;               // degrees
constexpr uint32_t AutopilotMaster = 103;        // 1.0 while the host's autopilot flies
constexpr uint32_t AutopilotStandby = 114;       // 0.0 while off
constexpr uint32_t AutopilotVerticalHold = 119;  // 0.0 while off
constexpr uint32_t AutopilotVsTarget = 120;      // ft/min
constexpr uint32_t PitchTrim = 318;
constexpr uint32_t GlideslopeAngle = 550;  // degrees, near 0 on the approach
constexpr uint32_t TimeOfDay = 557;        // seconds, wrapping at 86400
constexpr uint32_t RadioAltitudeMetres = 614;
// ---- Engine start and engine instruments ----
constexpr uint32_t EngineStride10 = 10;  // EGT and the host's starter state
constexpr uint32_t N1Vernier1 = 135;     // stride 35; N1 for the vernier and tooltip
constexpr uint32_t N2Vernier1 = 136;     // stride 35; N2 for the vernier and tooltip
constexpr uint32_t StarterState1 = 563;  // stride 10; the host's starter, 0 when off
constexpr uint32_t Egt1 = 567;           // stride 10; degrees Rankine
constexpr uint32_t N1Percent1 = 624;     // stride 19
constexpr uint32_t N2Percent1 = 625;     // stride 19
constexpr uint32_t EprRotor1 = 626;      // stride 19; the rotor speed the EPR model takes
constexpr uint32_t EgtPointer1 = 631;    // stride 19; named by the EGT pointers, not read
// The starter duct is fed from engine 3's bleed.
constexpr uint32_t DuctSourceN2 = N2Percent1 + 2 * EngineStride19;
}  // namespace hostvar

namespace hostevent {
// Flap lever: the first and last detents, and the detents between by value.
constexpr uint32_t FlapLeverFirstDetent = 65595;
constexpr uint32_t FlapLeverLastDetent = 65603;
constexpr uint32_t FlapLeverSet = 65698;

// Speed brake lever: the events of its upper, middle and lower zones.
constexpr uint32_t SpeedBrakeLowerZone = 65786;  // with 16383
constexpr uint32_t SpeedBrakeUpperZoneSecond = 66065;
constexpr uint32_t SpeedBrakeMiddleZone = 66066;
constexpr uint32_t SpeedBrakeUpperZoneFirst = 66067;

// Engines: thrust lever n is ThrustLeverSet1 + n - 1; fuel on and cut-off
// have stride 5.
constexpr uint32_t ThrustLeverSet1 = 65820;  // with the lever position, -7000..18000
constexpr uint32_t FuelOn1 = 65983;
constexpr uint32_t FuelCutoff1 = 65987;

// Sent as the throttle quadrant starts, on the ground with 324 at 1.0.
constexpr uint32_t QuadrantOnGroundStart = 66064;

constexpr uint32_t ThrustSwitchOn = 66049;
constexpr uint32_t ThrustSwitchOff = 66050;
constexpr uint32_t FloodLightsOn = 66056;
constexpr uint32_t FloodLightsOff = 66057;

// Overhead electrical and lighting panel: each toggles its host switch, except
// the landing lights' on and off.
constexpr uint32_t ElectricalMaster1Toggle = 66241;
constexpr uint32_t ElectricalMaster2Toggle = 66242;
constexpr uint32_t ElectricalMaster3Toggle = 66293;
constexpr uint32_t AntiCollisionLightToggle = 66239;
constexpr uint32_t NavLightsToggle = 66379;
constexpr uint32_t WingFloodLightsToggle = 66378;
constexpr uint32_t LandingLightsOn = 66059;
constexpr uint32_t LandingLightsOff = 66060;
constexpr uint32_t LandingLightsExtendToggle = 66391;
// ---- Flight instruments and radio heads ----
constexpr uint32_t CourseSet = 65716;      // with the course, degrees
constexpr uint32_t HeadingBugSet = 66042;  // with the bug, degrees
constexpr uint32_t BarometricSettingDown = 65884;
constexpr uint32_t BarometricSettingUp = 65883;
// The events the host sends from the radio heads' areas, by the area's place on
// the head and its cursor (down or up arrow); what each tunes is the host's.
constexpr uint32_t Adf1LeftDown = 65666;
constexpr uint32_t Adf1LeftUp = 65648;
constexpr uint32_t Adf1MiddleDown = 65667;
constexpr uint32_t Adf1MiddleUp = 65649;
constexpr uint32_t Adf1RightDown = 65668;
constexpr uint32_t Adf1RightUp = 65650;
constexpr uint32_t Adf2LeftDown = 66548;
constexpr uint32_t Adf2LeftUp = 66544;
constexpr uint32_t Adf2MiddleDown = 66549;
constexpr uint32_t Adf2MiddleUp = 66545;
constexpr uint32_t Adf2RightDown = 66550;
constexpr uint32_t Adf2RightUp = 66546;
constexpr uint32_t Nav1LeftDown = 65640;
constexpr uint32_t Nav1LeftUp = 65641;
constexpr uint32_t Nav1RightDown = 65642;
constexpr uint32_t Nav1RightUp = 65643;
constexpr uint32_t Nav2LeftDown = 65644;
constexpr uint32_t Nav2LeftUp = 65645;
constexpr uint32_t Nav2RightDown = 65646;
constexpr uint32_t Nav2RightUp = 65647;
constexpr uint32_t Com1LeftDown = 65636;
constexpr uint32_t Com1LeftUp = 65637;
constexpr uint32_t Com1RightDown = 65638;
constexpr uint32_t Com1RightUp = 65639;
// Indicators: the clock's two knobs and its button, the panel toggles, the
// gear lever, pitot heat and the parking brake.
constexpr uint32_t ClockLeftKnobDown = 65657;
constexpr uint32_t ClockLeftKnobUp = 65658;
constexpr uint32_t ClockRightKnobDown = 65659;
constexpr uint32_t ClockRightKnobUp = 65660;
constexpr uint32_t ClockButton = 65661;
constexpr uint32_t ToggleRadioPanel = 65907;
constexpr uint32_t ToggleOverheadPanel = 65908;
constexpr uint32_t ToggleThrottleQuadrant = 65909;
constexpr uint32_t ToggleAutopilotPanel = 65910;
constexpr uint32_t ToggleStandbyCompass = 65911;
constexpr uint32_t ToggleWeatherRadar = 65912;
constexpr uint32_t GearLever = 65570;
constexpr uint32_t PitotHeatOn = 66072;
constexpr uint32_t PitotHeatOff = 66073;
constexpr uint32_t ParkingBrake = 65752;
// Weather radar: the code display's digit buttons, digit n is the first plus n - 1.
constexpr uint32_t RadarCodeDigitUp1 = 65651;
constexpr uint32_t RadarCodeDigitDown1 = 66455;
// Autopilot controller and the systems tick's autopilot steps. The host's
// autopilot keeps its own modes; these are the events that set them.
constexpr uint32_t RollLeft = 65685;
constexpr uint32_t RollNeutral = 65686;
constexpr uint32_t RollRight = 65687;
constexpr uint32_t AutopilotOff = 65791;
constexpr uint32_t AutopilotOn = 65792;
constexpr uint32_t ApHeadingSelect = 65817;   // value 1
constexpr uint32_t RollKnobCentred = 65809;   // value 1
constexpr uint32_t SetVerticalSpeed = 66036;  // ft/min
constexpr uint32_t StandbyOn = 66069;
constexpr uint32_t StandbyOff = 66070;
constexpr uint32_t AltitudeHoldOn = 66103;
constexpr uint32_t AltitudeHoldOff = 66104;
constexpr uint32_t SetVerticalHold = 66115;  // value 1 on, 0 off
constexpr uint32_t SetAltitude = 66124;      // feet
// The vertical selector's upper positions, value 1.
constexpr uint32_t VerticalPosition3 = 65812;
constexpr uint32_t VerticalPosition4 = 65804;
// The horizontal selector, named by the position each one selects (value 0).
constexpr uint32_t HorizontalPosition1 = 65798;
// The roll knob's own mode; knob turns send it with value 1.
constexpr uint32_t HorizontalPosition2 = 66107;
constexpr uint32_t HorizontalPosition3 = 65811;
constexpr uint32_t HorizontalPosition4 = 65806;
constexpr uint32_t HorizontalLeave3 = 65814;     // leaving positions 3 and 4
constexpr uint32_t HorizontalClear = 65819;      // entering 1 from 0 and 2 from 3
constexpr uint32_t HorizontalPosition0 = 66375;  // entering and leaving position 0
// ---- Engine start ----
constexpr uint32_t EngineStride6 = 6;       // the starter toggles
constexpr uint32_t StarterToggle1 = 65927;  // stride 6
constexpr uint32_t StarterRun1 = 66300;     // stride 1; sent while a long start goes on
}  // namespace hostevent
