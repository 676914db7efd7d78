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

// The vector a right + b up + forward of a face in camera space. Side faces
// have up +Y; the up face has up -Z and the down face up +Z (the front view
// tilted up or down); both have right +X.
inline lentara::Vec3 FaceVector(int face, double a, double b) {
    switch (face) {
    case kBack: return {-a, b, -1.0};  // forward -Z, right -X
    case kRight: return {1.0, b, -a};  // forward +X, right -Z
    case kLeft: return {-1.0, b, a};   // forward -X, right +Z
    case kUp: return {a, 1.0, -b};     // forward +Y, up -Z
    case kDown: return {a, -1.0, b};   // forward -Y, up +Z
    default: return {a, b, 1.0};       // front: forward +Z, right +X, up +Y
    }
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

// One cell as the rays use it: its face, its centre, and the scales that make
// a film point's offset from the centre u t and v t (the overlap's t over
// half the cell size; negative for a face upside down).
struct CellView {
    int face; // kNoFace for an empty cell
    double centreX, centreY;
    double scaleX, scaleY;
};

// What every ray of one film size and one set of parameters shares.
struct CubemapFrame {
    bool usable;          // false: no ray anywhere
    double W, H;          // the film it was made for
    int columns, rows;
    double columnEdge[6]; // x of the boundary right of column k (k < columns - 1)
    double rowEdge[6];    // y of the boundary below row k from the top (k < rows - 1)
    CellView cells[12];   // rows from the top, left to right
};

// Cell boundaries: column k ends at x = W ((k+1)/columns - 0.5), row k (from
// the top) at y = H (0.5 - (k+1)/rows). A point on a boundary belongs to the
// cell left of it or below it. In a cell, (u, v) is the point relative to the
// cell's centre in half cell sizes, and the face's direction is
// u t right + v t up + forward with t = tan(pi/4 + FaceOverlap/2).
inline CubemapFrame PrepareCubemap(const CubemapParams &p, double W, double H) {
    CubemapFrame f{};
    f.W = W;
    f.H = H;
    const LayoutGrid g = GridOf(p.layout, p.faceOrder);
    f.columns = g.columns;
    f.rows = g.rows;
    const double t = std::tan(kPi / 4 + p.faceOverlap / 2);
    f.usable = lentara::FilmIsUsable(W, H) && std::isfinite(t);
    if (!f.usable) return f;
    const int n = g.columns, m = g.rows;
    for (int k = 0; k + 1 < n; ++k) f.columnEdge[k] = W * (double(k + 1) / n - 0.5);
    for (int k = 0; k + 1 < m; ++k) f.rowEdge[k] = H * (0.5 - double(k + 1) / m);
    const double cellW = W / n, cellH = H / m;
    const double su = t / (cellW * 0.5), sv = t / (cellH * 0.5);
    f.usable = std::isfinite(su) && std::isfinite(sv);
    for (int row = 0; row < m; ++row)
        for (int column = 0; column < n; ++column) {
            const CellFace c = g.cells[row * n + column];
            CellView &v = f.cells[row * n + column];
            v.face = c.face;
            if (c.face == kNoFace) continue;
            const double sign = c.turned ? -1.0 : 1.0;
            v.centreX = cellW * (column + 0.5) - W * 0.5;
            v.centreY = H * 0.5 - cellH * (row + 0.5);
            v.scaleX = sign * su;
            v.scaleY = sign * sv;
        }
    return f;
}

// The cell of film point (x, y). Points beyond the frame belong to the cells
// at its edge.
inline const CellView &CellOf(const CubemapFrame &f, double x, double y) {
    int column = 0;
    for (int k = 0; k + 1 < f.columns; ++k) column += x > f.columnEdge[k];
    int row = 0;
    for (int k = 0; k + 1 < f.rows; ++k) row += y <= f.rowEdge[k];
    return f.cells[row * f.columns + column];
}

// A camera-space vector along the ray through film point (x, y), not of unit
// length; false for no ray: an empty cell, a film point that is not finite,
// a frame that is not usable.
inline bool CubemapRayVector(const CubemapFrame &f, double x, double y, lentara::Vec3 &out) {
    if (!f.usable || !lentara::AllFinite(x, y)) return false;
    const CellView &c = CellOf(f, x, y);
    if (c.face == kNoFace) return false;
    out = FaceVector(c.face, (x - c.centreX) * c.scaleX, (y - c.centreY) * c.scaleY);
    return true;
}

// The same direction of unit length.
inline bool CubemapDirection(const CubemapFrame &f, double x, double y, lentara::Vec3 &out) {
    if (!CubemapRayVector(f, x, y, out)) return false;
    out = lentara::Normalize(out);
    return true;
}

inline bool CubemapDirection(const CubemapParams &p, double x, double y, double W, double H, lentara::Vec3 &out) {
    return CubemapDirection(PrepareCubemap(p, W, H), x, y, out);
}

} // namespace CubemapCam
