#include "standin/draw.h"

namespace standin {

namespace {

void pushPoint(std::vector<double> &v, const double *p) {
    if (!p) {
        v.insert(v.end(), {0.0, 0.0, 0.0});
        return;
    }
    v.insert(v.end(), {p[0], p[1], p[2]});
}

}  // namespace

DrawRecorder::DrawRecorder(int view, int flags) {
    access_.view = view;
    access_.flags = flags;
    access_.dispData = this;
    access_.setColor = [](void *d, float rgba[4]) {
        DrawCall c{"setColor", {}, -1, {}, nullptr, 0};
        if (rgba) c.values = {rgba[0], rgba[1], rgba[2], rgba[3]};
        self(d)->add(std::move(c));
    };
    access_.setPattern = [](void *d, int pattern) {
        self(d)->add({"setPattern", {}, -1, {}, nullptr, static_cast<unsigned>(pattern)});
    };
    access_.setTexture = [](void *d, int size, unsigned char *) {
        self(d)->add({"setTexture", {static_cast<double>(size)}, -1, {}, nullptr, 0});
    };
    access_.setUVs = [](void *d, double a[2], double b[2], double c[2], double e[2]) {
        DrawCall call{"setUVs", {}, -1, {}, nullptr, 0};
        for (double *uv : {a, b, c, e}) {
            call.values.push_back(uv ? uv[0] : 0.0);
            call.values.push_back(uv ? uv[1] : 0.0);
        }
        self(d)->add(std::move(call));
    };
    access_.point = [](void *d, double p[3], int csys) {
        DrawCall c{"point", {}, csys, {}, nullptr, 0};
        pushPoint(c.values, p);
        self(d)->add(std::move(c));
    };
    access_.line = [](void *d, double a[3], double b[3], int csys) {
        DrawCall c{"line", {}, csys, {}, nullptr, 0};
        pushPoint(c.values, a);
        pushPoint(c.values, b);
        self(d)->add(std::move(c));
    };
    access_.triangle = [](void *d, double a[3], double b[3], double e[3], int csys) {
        DrawCall c{"triangle", {}, csys, {}, nullptr, 0};
        for (double *p : {a, b, e}) pushPoint(c.values, p);
        self(d)->add(std::move(c));
    };
    access_.quad = [](void *d, double a[3], double b[3], double e[3], double f[3], int csys) {
        DrawCall c{"quad", {}, csys, {}, nullptr, 0};
        for (double *p : {a, b, e, f}) pushPoint(c.values, p);
        self(d)->add(std::move(c));
    };
    access_.circle = [](void *d, double centre[3], double radius, int csys) {
        DrawCall c{"circle", {}, csys, {}, nullptr, 0};
        pushPoint(c.values, centre);
        c.values.push_back(radius);
        self(d)->add(std::move(c));
    };
    access_.text = [](void *d, double p[3], const char *text, int justify, int csys) {
        DrawCall c{"text", {}, csys, text ? text : "", nullptr, static_cast<unsigned>(justify)};
        pushPoint(c.values, p);
        self(d)->add(std::move(c));
    };
    access_.viewPos[0] = access_.viewPos[1] = 0.0;
    access_.viewPos[2] = -10.0;
    access_.viewDir[0] = access_.viewDir[1] = 0.0;
    access_.viewDir[2] = 1.0;
    access_.setCSysItem = [](void *d, LWItemID item) { self(d)->add({"setCSysItem", {}, -1, {}, item, 0}); };
    access_.polygon = [](void *d, unsigned int n, double (*pts)[3], int csys) {
        DrawCall c{"polygon", {}, csys, {}, nullptr, n};
        for (unsigned i = 0; pts && i < n && i < 100000; ++i) pushPoint(c.values, pts[i]);
        self(d)->add(std::move(c));
    };
    access_.polyIndexed = [](void *d, unsigned int n, unsigned int *idx, double (*pts)[3], int csys) {
        DrawCall c{"polyIndexed", {}, csys, {}, nullptr, n};
        for (unsigned i = 0; idx && pts && i < n && i < 100000; ++i) pushPoint(c.values, pts[idx[i]]);
        self(d)->add(std::move(c));
    };
    access_.setDrawMode = [](void *d, unsigned int mode) { self(d)->add({"setDrawMode", {}, -1, {}, nullptr, mode}); };
    access_.disk = [](void *d, double centre[3], double radius, int csys) {
        DrawCall c{"disk", {}, csys, {}, nullptr, 0};
        pushPoint(c.values, centre);
        c.values.push_back(radius);
        self(d)->add(std::move(c));
    };
    access_.setPart = [](void *d, unsigned int part) { self(d)->add({"setPart", {}, -1, {}, nullptr, part}); };
}

void DrawRecorder::add(DrawCall call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
}

std::vector<DrawCall> DrawRecorder::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<DrawCall> DrawRecorder::calls(const std::string &op) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<DrawCall> out;
    for (const auto &c : calls_)
        if (c.op == op) out.push_back(c);
    return out;
}

std::size_t DrawRecorder::count(const std::string &op) const { return calls(op).size(); }

void DrawRecorder::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

}  // namespace standin
