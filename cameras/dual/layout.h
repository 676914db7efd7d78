// layout.h -- the Dual camera's grid: two columns split at the film centre,
// each half moved by a quarter of the film width onto its camera's film centre.
#pragma once

#include "composite/grid.h"

namespace MultiCam {
inline constexpr double kColumnEdges[] = {0.0};
inline constexpr double kColumnShifts[] = {0.25, -0.25};
inline constexpr double kRowEdges[] = {0.0}; // unused: one row
inline constexpr double kRowShifts[] = {0.0};
inline constexpr lentara::GridLayout kLayout = {2, 1, kColumnEdges, kColumnShifts, kRowEdges, kRowShifts};
} // namespace MultiCam
