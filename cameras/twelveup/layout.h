// layout.h -- the 12Up camera's grid: four columns of a quarter of the film
// width, three rows of a third of its height; the shifts move each tile's
// centre onto its camera's film centre.
#pragma once

#include "composite/grid.h"

namespace TwelveUpCam {
inline constexpr double kColumnEdges[] = {-0.25, 0.0, 0.25};
inline constexpr double kColumnShifts[] = {0.375, 0.125, -0.125, -0.375};
inline constexpr double kRowEdges[] = {-1.0 / 6.0, 1.0 / 6.0};
inline constexpr double kRowShifts[] = {1.0 / 3.0, 0.0, -1.0 / 3.0};
inline constexpr lentara::GridLayout kLayout = {4, 3, kColumnEdges, kColumnShifts, kRowEdges, kRowShifts};
} // namespace TwelveUpCam
