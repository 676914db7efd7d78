// layout.h -- the 4Up camera's grid: split at the film centre both ways; each
// quarter moves by a quarter of the film width and height onto its camera's
// film centre.
#pragma once

#include "composite/grid.h"

namespace FourUpCam {
inline constexpr double kColumnEdges[] = {0.0};
inline constexpr double kColumnShifts[] = {0.25, -0.25};
inline constexpr double kRowEdges[] = {0.0};
inline constexpr double kRowShifts[] = {0.25, -0.25};
inline constexpr lentara::GridLayout kLayout = {2, 2, kColumnEdges, kColumnShifts, kRowEdges, kRowShifts};
} // namespace FourUpCam
