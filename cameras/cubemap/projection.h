// projection.h -- the Cubemap camera's six faces and their layouts, free of
// host calls.
//
// Parameters (channel, meaning, default):
//   FaceOverlap   added to each face's 90 deg field of view        0
// Settings:
//   Layout       0 horizontal cross 4x3, 1 vertical cross 3x4, 2 strip 6x1,
//                3 strip 1x6, 4 blocks 3x2                          (0)
//   Face order   0 +X -X +Y -Y +Z -Z, 1 front right back left up down (0);
//                used by the strips and the blocks
//
// Faces in camera space: front +Z, back -Z, right +X, left -X, up +Y, down -Y.
// Each face is a pinhole from the camera position; the side faces have their
// picture's up along +Y, the up face along -Z and the down face along +Z (as
// if the front view were tilted), so that faces sharing an edge agree on it.
#pragma once

#include <cmath>

#include "framework/vec.h"

namespace CubemapCam {

enum Face { kFront, kBack, kRight, kLeft, kUp, kDown, kFaceCount, kNoFace = -1 };
enum Layout { kHorizontalCross, kVerticalCross, kStripRow, kStripColumn, kBlocks, kLayoutCount };
enum FaceOrder { kAxisOrder, kViewOrder, kFaceOrderCount };

constexpr double kPi = 3.14159265358979323846;

struct CubemapParams {
    double faceOverlap;
    int layout;
    int faceOrder;
};

// A face's forward, right and up axes in camera space.
struct FaceAxes {
    lentara::Vec3 forward, right, up;
};
inline const FaceAxes &AxesOf(int face) {
    static const FaceAxes kAxes[kFaceCount] = {
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   // front
        {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}, // back
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  // right
        {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  // left
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},  // up
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},  // down
    };
    return kAxes[face];
}

// One cell of a layout: its face (kNoFace for an empty cell) and whether the
// face is turned by 180 degrees in it.
struct CellFace {
    int face;
    bool turned;
};

struct LayoutGrid {
    int columns, rows;
    CellFace cells[12]; // rows from the top, left to right
};

constexpr CellFace kEmpty = {kNoFace, false};

// The layout's cells; the strips and the blocks take the faces in `order`.
inline LayoutGrid GridOf(int layout, int faceOrder) {
    static const int kOrders[kFaceOrderCount][kFaceCount] = {
        {kRight, kLeft, kUp, kDown, kFront, kBack},
        {kFront, kRight, kBack, kLeft, kUp, kDown},
    };
    const int *order = kOrders[faceOrder == kViewOrder ? kViewOrder : kAxisOrder];
    LayoutGrid g{};
    switch (layout) {
    case kVerticalCross:
        // the back face under the down face, upside down so that the two join
        g = {3, 4, {kEmpty, {kUp, false}, kEmpty,
                    {kLeft, false}, {kFront, false}, {kRight, false},
                    kEmpty, {kDown, false}, kEmpty,
                    kEmpty, {kBack, true}, kEmpty}};
        break;
    case kStripRow:
    case kStripColumn:
    case kBlocks:
        g.columns = layout == kStripRow ? 6 : layout == kBlocks ? 3 : 1;
        g.rows = 6 / g.columns;
        for (int i = 0; i < kFaceCount; ++i) g.cells[i] = {order[i], false};
        break;
    default:
        g = {4, 3, {kEmpty, {kUp, false}, kEmpty, kEmpty,
                    {kLeft, false}, {kFront, false}, {kRight, false}, {kBack, false},
                    kEmpty, {kDown, false}, kEmpty, kEmpty}};
        break;
    }
    return g;
}

// What every ray of one film size and one set of parameters shares.
struct CubemapFrame {
    bool usable;            // false: no ray anywhere
    double W, H;            // the film it was made for
    LayoutGrid grid;
    double columnEdge[6];   // x of the boundary right of column k (k < columns - 1)
    double rowEdge[6];      // y of the boundary below row k from the top (k < rows - 1)
    double cellW, cellH;    // cell size
    double invHalfW, invHalfH; // 1 / half the cell size
    double t;               // tan(pi/4 + FaceOverlap/2)
};

// Cell boundaries: column k ends at x = W ((k+1)/columns - 0.5), row k (from
// the top) at y = H (0.5 - (k+1)/rows). A point on a boundary belongs to the
// cell left of it or below it.
inline CubemapFrame PrepareCubemap(const CubemapParams &p, double W, double H) {
    CubemapFrame f{};
    f.W = W;
    f.H = H;
    f.grid = GridOf(p.layout, p.faceOrder);
    f.t = std::tan(kPi / 4 + p.faceOverlap / 2);
    f.usable = lentara::FilmIsUsable(W, H) && std::isfinite(f.t);
    if (!f.usable) return f;
    const int n = f.grid.columns, m = f.grid.rows;
    for (int k = 0; k + 1 < n; ++k) f.columnEdge[k] = W * (double(k + 1) / n - 0.5);
    for (int k = 0; k + 1 < m; ++k) f.rowEdge[k] = H * (0.5 - double(k + 1) / m);
    f.cellW = W / n;
    f.cellH = H / m;
    f.invHalfW = 1.0 / (f.cellW * 0.5);
    f.invHalfH = 1.0 / (f.cellH * 0.5);
    f.usable = std::isfinite(f.invHalfW) && std::isfinite(f.invHalfH);
    return f;
}

// The cell of film point (x, y): column from the left, row from the top.
// Points beyond the frame belong to the cells at its edge.
inline void CellOf(const CubemapFrame &f, double x, double y, int &column, int &row) {
    column = 0;
    for (int k = 0; k + 1 < f.grid.columns; ++k) column += x > f.columnEdge[k];
    row = 0;
    for (int k = 0; k + 1 < f.grid.rows; ++k) row += y <= f.rowEdge[k];
}

// Camera-space direction (unit length) of film point (x, y); false for no
// ray: an empty cell, a film point that is not finite, a frame that is not
// usable.
inline bool CubemapDirection(const CubemapFrame &f, double x, double y, lentara::Vec3 &out) {
    if (!f.usable || !lentara::AllFinite(x, y)) return false;
    int column, row;
    CellOf(f, x, y, column, row);
    const CellFace cell = f.grid.cells[row * f.grid.columns + column];
    if (cell.face == kNoFace) return false;
    // the point relative to the cell centre, in half cell sizes
    const double centreX = f.cellW * (column + 0.5) - f.W * 0.5;
    const double centreY = f.H * 0.5 - f.cellH * (row + 0.5);
    double u = (x - centreX) * f.invHalfW, v = (y - centreY) * f.invHalfH;
    if (cell.turned) {
        u = -u;
        v = -v;
    }
    const FaceAxes &a = AxesOf(cell.face);
    const lentara::Vec3 d = (u * f.t) * a.right + (v * f.t) * a.up + a.forward;
    out = lentara::Normalize(d);
    return true;
}

inline bool CubemapDirection(const CubemapParams &p, double x, double y, double W, double H, lentara::Vec3 &out) {
    return CubemapDirection(PrepareCubemap(p, W, H), x, y, out);
}

} // namespace CubemapCam
