// The whole panel at once: every gauge of the module's table, so that a test
// written over it covers the gauges built after it too.
#pragma once

#include <vector>

#include "host/host.h"

namespace twtest {

// Creates one instance of every gauge in table order (FLOOD_SW, the master
// gauge, first), all on the given window (0: a new window for each).
std::vector<tw::Gauge*> createEveryGauge(tw::Host& host, uintptr_t window = 0);

// Destroys the instances, last first.
void destroyAll(tw::Host& host, const std::vector<tw::Gauge*>& gauges);

// Presses the middle of every child area the gauge has, holds it for one
// repeat where the area repeats, drags it a quarter of its height down where it
// follows drags, and lets go. Returns the number of areas that took the press.
int clickEveryArea(tw::Gauge& gauge);

// Formats the tooltip of every parent area that has one, at the middle of its
// box (the gauge's origin for a parent that covers the whole gauge), in the
// host's own buffer. Returns the number of tooltips formatted.
int showEveryTooltip(tw::Gauge& gauge);

}  // namespace twtest
