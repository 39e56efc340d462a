// What the altitude alerter ALT_SEL shares with its separate light ALT_WARN.
#pragma once

// AlerterDeviation = AlerterAltitude - the truncated altitude, held within the
// int32 range whatever the host's altitude reads.
void updateAlerterDeviation(double altitude_feet);

// The alert light burns with power while the aircraft is more than 300 and
// less than 1000 feet from the selected altitude, on either side.
bool alerterLightShown();
