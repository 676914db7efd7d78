// grid.h -- which tile of a grid a film point falls in, and where that point
// lies on the tile camera's own film. Pure functions, no host calls.
//
// Tiles are numbered row by row from the bottom-left tile: the tile in row r
// and column c (both from 0, row 0 at the bottom) is r * columns + c. Film x
// grows to the right and film y upward. Every edge and shift is given as a
// factor of the film width W or height H, and applied as the product
// W * factor (or H * factor), so each camera fixes its own constants.
#pragma once

namespace lentara {

struct GridLayout {
    int columns, rows;
    const double *columnEdges;  // columns - 1 factors of W: film x <= W * edge lies left of the edge
    const double *columnShifts; // columns factors of W, added to film x (0 adds +0)
    const double *rowEdges;     // rows - 1 factors of H: film y <= H * edge lies below the edge
    const double *rowShifts;    // rows factors of H, added to film y (0 adds +0)
    constexpr int TileCount() const { return columns * rows; }
};

struct GridPoint {
    int tile;
    double fpx, fpy; // the point on the tile camera's film
};

// A point on an edge belongs to the lower column or row; points outside the
// film fall into the outermost columns and rows and are shifted the same way.
inline GridPoint LocateTile(const GridLayout &g, double fpx, double fpy, double width, double height) {
    int c = 0;
    while (c < g.columns - 1 && !(fpx <= width * g.columnEdges[c])) ++c;
    int r = 0;
    while (r < g.rows - 1 && !(fpy <= height * g.rowEdges[r])) ++r;
    // A grid of one column (or one row) hands film x (film y) on as it is and
    // never reads the film side. Otherwise a zero shift adds +0 (not W * 0 or
    // H * 0, which are -0 for a negative side), so a film point of -0 comes
    // out as +0.
    GridPoint p{r * g.columns + c, fpx, fpy};
    if (g.columns > 1) p.fpx = fpx + (g.columnShifts[c] != 0.0 ? width * g.columnShifts[c] : 0.0);
    if (g.rows > 1) p.fpy = fpy + (g.rowShifts[r] != 0.0 ? height * g.rowShifts[r] : 0.0);
    return p;
}

} // namespace lentara
