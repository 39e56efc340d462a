// Host variables that come one per engine at a fixed stride, and the way a
// shared callback finds its engine from the variable it was handed.
#pragma once

#include <cstdint>

#include "framework/gauge.h"
#include "framework/panel_state.h"

// One record per engine: engine n (0-based here) reads first + n * stride.
struct PerEngineVars {
    MODULE_VAR var[EngineCount];
    constexpr PerEngineVars(uint32_t first, uint32_t stride)
        : var{hostVar(first), hostVar(first + stride), hostVar(first + 2 * stride),
              hostVar(first + 3 * stride)} {}
    // Refreshes engine n's record and returns its value.
    double refresh(int n) { return refreshVar(var[n]); }
    void refreshAll() {
        for (MODULE_VAR& v : var) refreshVar(v);
    }
    // The value of the last refresh.
    double operator[](int n) const { return var[n].var_value; }
};

// The engine (0-based) whose variable of the family is `token`; a token of no
// engine of the family reads as engine 1's.
constexpr int engineOfToken(uint32_t token, uint32_t first, uint32_t stride) {
    for (int n = 1; n < EngineCount; ++n)
        if (token == first + static_cast<uint32_t>(n) * stride) return n;
    return 0;
}
