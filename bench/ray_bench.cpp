// Ray evaluation speed of every camera type of the built module.
//
// Each camera type is applied to a moving scene camera in the stand-in host
// and its evaluate function is called straight through the handler record,
// with the host's access record, on the film points of a 1920 x 1080 frame in
// scanline order. Two sample streams: one exposure fraction for every ray, and
// a new fraction for every ray; lens samples lie on the unit disk. Beside
// each projection camera runs a reference kernel: the same projection as a
// plain inline function of this file, with no interface, pose cache or
// guards. The composite cameras are compared with the scene camera they
// delegate to, called directly and through the host's evaluation service.
//
// Before the benchmarks run, every reference kernel is checked against the
// module on a sample of the frame; the largest relative difference of each
// type is printed as a "VERIFY" line.
//
// With --instructions (run under callgrind with --collect-atstart=no) the
// program instead runs every path once over a few rows of each stream with
// collection on, and dumps the count of each run under the benchmark's name
// and the number of rays: instructions per ray do not depend on what else the
// machine is doing, so they show small differences that timing cannot.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cameras/dual/dual.h"
#include "cameras/fourup/fourup.h"
#include "cameras/overscan/overscan.h"
#include "cameras/twelveup/twelveup.h"
#include "standin/host.h"

#if defined(__has_include)
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define LENTARA_BENCH_CALLGRIND 1
#endif
#endif

namespace {

using namespace standin;

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kRowsPerIteration = 4;
constexpr std::size_t kSampleMask = 4095; // per-ray fractions and lens samples repeat every 4096 rays
constexpr double kFixedFraction = 0.375;
constexpr double kPi = 3.14159265358979323846;
constexpr double kFilmW = 0.036, kFilmH = 0.02025;

struct FilmPoint {
    double x, y;
};

struct V3 {
    double x, y, z;
};
inline V3 Add(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 Mul(double s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline double Dot3(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Unit(V3 a) {
    const double l = std::sqrt(Dot3(a, a));
    return {a.x / l, a.y / l, a.z / l};
}
inline void Put(const V3 &v, double out[3]) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

struct RefPose {
    V3 p, r, u, f;
};
// The camera's pose at the two ends of the exposure.
struct RefMotion {
    RefPose a, b;
    RefPose At(double w) const {
        if (!(w > 0.0)) return a;
        if (w >= 1.0) return b;
        const double v = 1.0 - w;
        auto l = [&](V3 x, V3 y) { return V3{v * x.x + w * y.x, v * x.y + w * y.y, v * x.z + w * y.z}; };
        return {l(a.p, b.p), l(a.r, b.r), l(a.u, b.u), l(a.f, b.f)};
    }
};

// ---- the stand-in host, the scene and the sample stream ---------------------

struct Env {
    Host host;
    Module &module;
    std::vector<FilmPoint> points; // scanline order, top row first
    double fraction[kSampleMask + 1];
    double lensX[kSampleMask + 1], lensY[kSampleMask + 1];
    LWItemID target = nullptr; // the scene camera the composites delegate to

    Env() : module(host.loadModule(LENTARA_MODULE_PATH)) {
        points.resize(std::size_t(kWidth) * kHeight);
        for (int py = 0; py < kHeight; ++py)
            for (int px = 0; px < kWidth; ++px) {
                FilmPoint &p = points[std::size_t(py) * kWidth + px];
                filmPoint(px, py, kWidth, kHeight, kFilmW, kFilmH, &p.x, &p.y);
            }
        unsigned s = 12345u;
        auto rnd = [&s] {
            s = s * 1664525u + 1013904223u;
            return (s >> 8) * (1.0 / 16777216.0);
        };
        for (std::size_t i = 0; i <= kSampleMask; ++i) {
            fraction[i] = rnd();
            const double u = rnd(), v = rnd();
            unitDiskSample(u, v, &lensX[i], &lensY[i]);
        }
    }

    // A camera item moving and turning across the frame.
    LWItemID AddMovingCamera(const std::string &name) {
        LWItemID id = host.scene().addCamera(name);
        Scene &sc = host.scene();
        sc.setMotionKeys(id, Motion::X, {{0.0, 0.0}, {1.0, 3.0}});
        sc.setMotionKeys(id, Motion::Y, {{0.0, 1.0}, {1.0, 1.5}});
        sc.setMotionKeys(id, Motion::Heading, {{0.0, 0.1}, {1.0, 0.9}});
        sc.setMotionKeys(id, Motion::Pitch, {{0.0, -0.2}, {1.0, 0.3}});
        sc.setCamera(id, CamProp::FilmWidth, kFilmW);
        sc.setCamera(id, CamProp::FilmHeight, kFilmH);
        sc.setResolution(id, kWidth, kHeight);
        return id;
    }

    RefMotion MotionOf(LWItemID item, const LWFrameInfo &fi) {
        auto pose = [&](double t) {
            double p[3], r[3], u[3], f[3];
            host.scene().param(item, LWIP_W_POSITION, t, p);
            host.scene().param(item, LWIP_RIGHT, t, r);
            host.scene().param(item, LWIP_UP, t, u);
            host.scene().param(item, LWIP_FORWARD, t, f);
            return RefPose{{p[0], p[1], p[2]}, {r[0], r[1], r[2]}, {u[0], u[1], u[2]}, {f[0], f[1], f[2]}};
        };
        return {pose(fi.start), pose(fi.start + fi.duration)};
    }
};

Env *gEnv = nullptr;
constexpr int kFrame = 3;

void StartFrame(CameraInstance &cam) {
    cam.initRender(LWINIT_RENDER);
    cam.newTime(kFrame, gEnv->host.frameInfo(kFrame).start);
    cam.newFrame(kFrame);
}

using Kernel = std::function<int(double, double, double, double, double, LWCameraRay *)>;

// Runs `eval` over `rows` rows of the stream from `row` on (wrapping at the
// bottom of the frame) and returns the number of rays. `eval` is a callable
// (fx, fy, lx, ly, fraction, ray).
template <bool Varying, class F>
long long RunRows(F &eval, int &row, int rows, LWCameraRay &ray) {
    const Env &env = *gEnv;
    const FilmPoint *points = env.points.data();
    long long hits = 0;
    for (int r = 0; r < rows; ++r) {
        const std::size_t base = std::size_t(row) * kWidth;
        for (int i = 0; i < kWidth; ++i) {
            const std::size_t k = (base + i) & kSampleMask;
            const double f = Varying ? env.fraction[k] : kFixedFraction;
            hits += eval(points[base + i].x, points[base + i].y, env.lensX[k], env.lensY[k], f, &ray);
            benchmark::DoNotOptimize(ray);
        }
        if (++row == kHeight) row = 0;
    }
    return hits;
}

// Runs the callable that `make` returns over kRowsPerIteration rows per
// iteration, each thread from its own starting row. It is made once every
// thread of the run has reached the start, so what thread 0 set up before is
// there to be read.
template <bool Varying, class Make>
void RunStreamOf(benchmark::State &state, Make &&make) {
    int row = (state.thread_index() * (kHeight / 2)) % kHeight;
    LWCameraRay ray{};
    long long hits = 0;
    auto it = state.begin();
    const auto end = state.end(); // waits for the other threads
    auto eval = make();
    for (; it != end; ++it) hits += RunRows<Varying>(eval, row, kRowsPerIteration, ray);
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(state.iterations() * kRowsPerIteration * kWidth);
}

template <bool Varying, class F>
void RunStream(benchmark::State &state, F &&eval) {
    RunStreamOf<Varying>(state, [&] { return eval; });
}

// ---- reference kernels --------------------------------------------------------
// Each takes the camera's pose for the ray and writes the ray as the camera
// type computes it.

struct Dir3 {
    V3 onAxes(const RefPose &P, V3 d) const {
        return {d.x * P.r.x + d.y * P.u.x + d.z * P.f.x, d.x * P.r.y + d.y * P.u.y + d.z * P.f.y,
                d.x * P.r.z + d.y * P.u.z + d.z * P.f.z};
    }
};

inline int RefPanoramic(const RefPose &P, double hf, double vmax, double vmin, double W, double H, double fx,
                        double fy, LWCameraRay *ray) {
    const double a = (fx / (0.5 * W)) * hf * 0.5;
    const double e = 0.5 * (vmax + vmin) + ((vmax - vmin) * (fy / (0.5 * H))) * 0.5;
    const double ce = std::cos(e);
    const V3 d = Unit(Dir3{}.onAxes(P, {ce * std::sin(a), std::sin(e), ce * std::cos(a)}));
    Put(P.p, ray->rayPos);
    Put(d, ray->rayDir);
    Put(d, ray->filmNorm);
    return 1;
}

inline int RefSuperPano(const RefPose &P, double hf, double vmax, double vmin, double hsp, double vsp, double hsn,
                        double vsn, double hs, double vs, double W, double H, double fx, double fy,
                        LWCameraRay *ray) {
    const double u = fx / (0.5 * W) + hs, v = fy / (0.5 * H) + vs;
    const double a = u * hf * 0.5;
    const double e = 0.5 * (vmax + vmin) + ((vmax - vmin) * v) * 0.5;
    const double ce = std::cos(e);
    const V3 c = {ce * std::sin(a) * (a > 0.0 ? hsp : hsn), std::sin(e) * (e > 0.0 ? vsp : vsn), std::cos(a) * ce};
    const V3 d = Unit(Dir3{}.onAxes(P, c));
    Put(P.p, ray->rayPos);
    Put(d, ray->rayDir);
    Put(d, ray->filmNorm);
    return 1;
}

inline int RefCylinder(const RefPose &P, double length, double amax, double amin, double W, double H, double fx,
                       double fy, LWCameraRay *ray) {
    // upright cylinder (the default size mode)
    const double b = (amin + amax) * 0.5 + (amax - amin) * (fx / (0.5 * W)) * 0.5;
    const double s = (fy / (0.5 * H)) * length * 0.5;
    const V3 o = Add(P.p, Mul(s, P.u));
    const V3 d = Unit(Add(Mul(std::sin(b), P.r), Mul(std::cos(b), P.f)));
    Put(o, ray->rayPos);
    Put(d, ray->rayDir);
    Put(d, ray->filmNorm);
    return 1;
}

// Thin lens with the pose and working vectors in single precision.
struct F3 {
    float x, y, z;
};
inline float DotF(F3 a, F3 b) {
    const float xx = a.x * b.x, yy = a.y * b.y, zz = a.z * b.z;
    const float s = xx + yy;
    return s + zz;
}
inline float Round(double v) {
    float f = float(v);
    asm("" : "+x"(f)); // keeps the rounding to single precision where the optimiser would drop it
    return f;
}
inline F3 ToF(V3 v) { return {Round(v.x), Round(v.y), Round(v.z)}; }
inline int RefPerspective(const RefPose &Pd, float filmDistance, float lensRadius, double focus, double fx,
                          double fy, double lx, double ly, LWCameraRay *ray) {
    const F3 P = ToF(Pd.p), R = ToF(Pd.r), U = ToF(Pd.u), F = ToF(Pd.f);
    const double ox = lx * double(lensRadius), oy = ly * double(lensRadius);
    const V3 off = {ox * R.x + oy * U.x, ox * R.y + oy * U.y, ox * R.z + oy * U.z};
    const float x = float(fx), y = float(fy), f = filmDistance;
    const F3 V = {x * R.x + y * U.x + f * F.x, x * R.y + y * U.y + f * F.y, x * R.z + y * U.z + f * F.z};
    const float s = float(focus / std::sqrt(double(DotF(V, V))));
    const F3 G = {float(V.x * s - off.x), float(V.y * s - off.y), float(V.z * s - off.z)};
    const float g = float(1.0 / std::sqrt(double(DotF(G, G))));
    ray->rayPos[0] = P.x + off.x;
    ray->rayPos[1] = P.y + off.y;
    ray->rayPos[2] = P.z + off.z;
    ray->rayDir[0] = G.x * g;
    ray->rayDir[1] = G.y * g;
    ray->rayDir[2] = G.z * g;
    ray->filmNorm[0] = F.x;
    ray->filmNorm[1] = F.y;
    ray->filmNorm[2] = F.z;
    return 1;
}

inline V3 Focused(V3 v, V3 off, double focus) {
    const double len = std::sqrt(Dot3(v, v));
    const V3 q = {v.x / len * focus, v.y / len * focus, v.z / len * focus};
    return Unit({q.x - off.x, q.y - off.y, q.z - off.z});
}

inline int RefFisheye(const RefPose &P, double zoom, double power, double scale, double lensFactor, double focus,
                      double H, double x, double y, double a, double b, LWCameraRay *ray) {
    const double d = zoom * H * 0.5, r = d * lensFactor;
    const V3 off = Add(Mul(a * r, P.r), Mul(b * r, P.u));
    const double theta = std::atan2(y, x);
    const double rho = std::pow(std::sqrt(x * x + y * y), power) * scale;
    const V3 v = Add(Add(Mul(rho * std::cos(theta), P.r), Mul(rho * std::sin(theta), P.u)), Mul(d, P.f));
    Put(Add(P.p, off), ray->rayPos);
    Put(Focused(v, off, focus), ray->rayDir);
    Put(P.f, ray->filmNorm);
    return 1;
}

inline int RefStereo(const RefPose &P, double zoom, double separation, double lensFactor, double focus,
                     const V3 &filmNormal, double W, double H, double x, double y, double a, double b,
                     LWCameraRay *ray) {
    const double h = separation * 0.5, d = zoom * H * 0.5, r = d * lensFactor;
    const V3 off = Add(Mul(a * r, P.r), Mul(b * r, P.u));
    const bool left = x < 0.0;
    const double xe = left ? x + 0.25 * W : x - 0.25 * W;
    const V3 eye = Add(P.p, Mul(left ? -h : h, P.r));
    const V3 v = Add(Add(Mul(d, P.f), Mul(xe, P.r)), Mul(y, P.u));
    Put(Add(eye, off), ray->rayPos);
    Put(Focused(v, off, focus), ray->rayDir);
    Put(filmNormal, ray->filmNorm);
    return 1;
}

inline int RefSkybox(const LWCameraAccess &A, double x, double y, LWCameraRay *ray) {
    const double W = A.filmSize[0], H = A.filmSize[1];
    const int column = x <= W * -0.25 ? 1 : x <= 0.0 ? 2 : x <= W * 0.25 ? 3 : 4;
    const int row = y <= H * (-1.0 / 6.0) ? 0 : y <= H * (1.0 / 6.0) ? 1 : 2;
    static const double shift[5] = {0.0, 0.375, 0.125, -0.125, -0.375};
    const double cx = x + W * shift[column];
    double cy = y;
    int face; // 1 left, 2 front, 3 right, 4 back, 5 down, 6 up (cross layout)
    if (row == 1)
        face = column;
    else if (column != 2)
        return 0;
    else if (row == 0)
        face = 5, cy = y + H * (1.0 / 3.0);
    else
        face = 6, cy = y + H * (-1.0 / 3.0);
    const double z = 0.1685 * H;
    const double inv = 1.0 / std::sqrt(cx * cx + cy * cy + z * z);
    const V3 u = {cx * inv, cy * inv, z * inv};
    V3 c;
    switch (face) {
    case 1: c = {-u.z, u.y, u.x}; break;
    case 2: c = u; break;
    case 3: c = {u.z, u.y, -u.x}; break;
    case 4: c = {-u.x, u.y, -u.z}; break;
    case 5: c = {u.x, -u.z, u.y}; break;
    default: c = {u.x, u.z, -u.y}; break;
    }
    const V3 R = {A.toWorld[0][0], A.toWorld[0][1], A.toWorld[0][2]};
    const V3 U = {A.toWorld[1][0], A.toWorld[1][1], A.toWorld[1][2]};
    const V3 F = {A.toWorld[2][0], A.toWorld[2][1], A.toWorld[2][2]};
    const V3 d = Add(Add(Mul(c.x, R), Mul(c.y, U)), Mul(c.z, F));
    Put({A.worldPos[0], A.worldPos[1], A.worldPos[2]}, ray->rayPos);
    Put(d, ray->rayDir);
    Put(d, ray->filmNorm);
    return 1;
}

// ---- the camera types ------------------------------------------------------------

// A projection camera applied to its own moving scene camera, with the
// reference kernel for a given pose.
struct ProjectionCase {
    std::string label, server;
    LWItemID item = nullptr;
    CameraInstance *cam = nullptr;
    RefMotion motion{};
    // Reference ray for a pose (the pose at the ray's fraction).
    std::function<int(const RefPose &, double, double, double, double, LWCameraRay *)> ref;
};

std::vector<std::unique_ptr<ProjectionCase>> gCases;

ProjectionCase *AddCase(const std::string &label, const std::string &server) {
    auto c = std::make_unique<ProjectionCase>();
    c->label = label;
    c->server = server;
    c->item = gEnv->AddMovingCamera(label);
    c->cam = gEnv->host.setCameraType(c->item, gEnv->module, server);
    if (!c->cam) {
        std::fprintf(stderr, "cannot apply %s: %s\n", server.c_str(), gEnv->host.lastError().c_str());
        return nullptr;
    }
    StartFrame(*c->cam);
    c->motion = gEnv->MotionOf(c->item, c->cam->frameInfo());
    gCases.push_back(std::move(c));
    return gCases.back().get();
}

void SetUpProjectionCases() {
    Scene &sc = gEnv->host.scene();
    const double zoom = 3.2, fStop = 4.0, focus = 10.0, separation = 0.06;
    const double W = kFilmW, H = kFilmH;
    auto lensOf = [](double f) { return 0.5 / f; };

    if (ProjectionCase *c = AddCase("Panoramic", "VantorPanoramicCam"))
        c->ref = [=](const RefPose &P, double x, double y, double, double, LWCameraRay *r) {
            return RefPanoramic(P, 2 * kPi, kPi / 4, -kPi / 4, W, H, x, y, r);
        };
    if (ProjectionCase *c = AddCase("SuperPano", "VantorAdvPanCam"))
        c->ref = [=](const RefPose &P, double x, double y, double, double, LWCameraRay *r) {
            return RefSuperPano(P, 2 * kPi, kPi / 4, -kPi / 4, 1, 1, 1, 1, 0, 0, W, H, x, y, r);
        };
    if (ProjectionCase *c = AddCase("Cylinder", "VantorCylinderCam"))
        c->ref = [=](const RefPose &P, double x, double y, double, double, LWCameraRay *r) {
            return RefCylinder(P, 1.0, 0.17453292519943295, -0.17453292519943295, W, H, x, y, r);
        };
    const float filmDistance = float(zoom * H * 0.5);
    const float lensRadius = float(double(filmDistance) * 0.5 / fStop);
    if (ProjectionCase *c = AddCase("Perspective", "VantorPerspectiveCam"))
        c->ref = [=](const RefPose &P, double x, double y, double lx, double ly, LWCameraRay *r) {
            return RefPerspective(P, filmDistance, lensRadius, focus, x, y, lx, ly, r);
        };
    if (ProjectionCase *c = AddCase("PerspectiveNoDOF", "VantorPerspectiveNoDOFCam"))
        c->ref = [=](const RefPose &P, double x, double y, double lx, double ly, LWCameraRay *r) {
            return RefPerspective(P, filmDistance, lensRadius, focus, x, y, lx, ly, r);
        };
    if (ProjectionCase *c = AddCase("PerspectiveNoDOFNoMB", "VantorPerspectiveNoDOFNoMBCam"))
        c->ref = [=](const RefPose &P, double x, double y, double lx, double ly, LWCameraRay *r) {
            return RefPerspective(P, filmDistance, lensRadius, focus, x, y, lx, ly, r);
        };
    if (ProjectionCase *c = AddCase("Fisheye", "VantorFisheyeCam"))
        c->ref = [=](const RefPose &P, double x, double y, double lx, double ly, LWCameraRay *r) {
            return RefFisheye(P, zoom, 1.0, 1.0, lensOf(fStop), focus, H, x, y, lx, ly, r);
        };
    if (ProjectionCase *c = AddCase("Stereo", "VantorStereoCam")) {
        const double *f = c->cam->access().toWorld[2];
        const V3 n = Unit({f[0], f[1], f[2]});
        c->ref = [=](const RefPose &P, double x, double y, double lx, double ly, LWCameraRay *r) {
            return RefStereo(P, zoom, separation, lensOf(fStop), focus, n, W, H, x, y, lx, ly, r);
        };
    }
    if (ProjectionCase *c = AddCase("Skybox", "VantorSkyboxCam")) {
        const LWCameraAccess access = c->cam->access();
        c->ref = [=](const RefPose &, double x, double y, double, double, LWCameraRay *r) {
            return RefSkybox(access, x, y, r);
        };
    }
    (void)sc;
}

// Largest relative difference between the module's and the reference's rays
// over a sample of the frame, both streams; -1 when they disagree on which
// samples have a ray.
double Verify(const ProjectionCase &c) {
    const Env &env = *gEnv;
    const LWCameraHandler &h = c.cam->handler();
    double worst = 0.0;
    for (int stream = 0; stream < 2; ++stream)
        for (int py = 0; py < kHeight; py += 7)
            for (int px = 0; px < kWidth; px += 3) {
                const std::size_t i = std::size_t(py) * kWidth + px, k = i & kSampleMask;
                const double f = stream ? env.fraction[k] : kFixedFraction;
                const FilmPoint p = env.points[i];
                LWCameraRay m{}, r{};
                const int rm = h.evaluate(c.cam->instance(), p.x, p.y, env.lensX[k], env.lensY[k], f, &m,
                                          &c.cam->access());
                const int rr = c.ref(c.motion.At(f), p.x, p.y, env.lensX[k], env.lensY[k], &r);
                if (rm != rr) return -1.0;
                if (!rm) continue;
                for (const auto &pair : {std::make_pair(m.rayPos, r.rayPos), std::make_pair(m.rayDir, r.rayDir),
                                         std::make_pair(m.filmNorm, r.filmNorm)}) {
                    double diff = 0.0, len = 0.0;
                    for (int j = 0; j < 3; ++j) {
                        diff = std::max(diff, std::fabs(pair.first[j] - pair.second[j]));
                        len = std::max(len, std::fabs(pair.second[j]));
                    }
                    worst = std::max(worst, len > 0.0 ? diff / len : diff);
                }
            }
    return worst;
}

// ---- benchmarks --------------------------------------------------------------------

// The paths measured, one function per kind, each returning the callable
// that the timed loop and the instruction count run.

// A camera instance through its handler record, with the host's access record.
auto HandlerPath(const CameraInstance &cam) {
    return [evaluate = cam.handler().evaluate, inst = cam.instance(),
            access = &cam.access()](double x, double y, double lx, double ly, double f, LWCameraRay *ray) {
        return evaluate(inst, x, y, lx, ly, f, ray, access);
    };
}

template <bool Varying>
auto ReferencePath(const ProjectionCase &c) {
    return [motion = c.motion, fixed = c.motion.At(kFixedFraction),
            &ref = c.ref](double x, double y, double lx, double ly, double f, LWCameraRay *ray) {
        return ref(Varying ? motion.At(f) : fixed, x, y, lx, ly, ray);
    };
}

// A camera through the host's evaluation service.
auto ServicePath(LWCameraEvaluatorID e) {
    return [ev = gEnv->host.evaluationFuncs(), e](double x, double y, double lx, double ly, double f,
                                                  LWCameraRay *ray) { return ev->evaluate(e, x, y, lx, ly, f, ray); };
}

template <bool Varying>
void BM_Module(benchmark::State &state, const ProjectionCase *c) {
    RunStream<Varying>(state, HandlerPath(*c->cam));
}

template <bool Varying>
void BM_Reference(benchmark::State &state, const ProjectionCase *c) {
    RunStream<Varying>(state, ReferencePath<Varying>(*c));
}

// Composite cameras on a carrier item, every tile picking the Panoramic target.
struct CompositeCase {
    std::string label, server;
    std::vector<unsigned int> choiceIds;
    LWItemID carrier = nullptr;
};
std::vector<std::unique_ptr<CompositeCase>> gComposites;
// The composite camera of the case being measured. It stays for every run of
// that case (the stand-in host keeps each evaluator it ever made and searches
// them on every call, so remaking the camera for each run would slow the host
// down run by run); the next case replaces it.
const CompositeCase *gCurrentCase = nullptr;
CameraInstance *gCompositeCam = nullptr;
LWCameraEvaluatorID gCaseEvaluator = nullptr; // the target, through the service, made with the composite
CameraInstance *gTargetCam = nullptr;         // the target's own instance
LWCameraEvaluatorID gTargetEvaluator = nullptr;

CameraInstance *MakeComposite(const CompositeCase &c) {
    Host &host = gEnv->host;
    CameraInstance *cam = host.setCameraType(c.carrier, gEnv->module, c.server);
    if (!cam) return nullptr;
    LWInterface ui{};
    if (cam->activateInterface(ui) != AFUNC_OK) return nullptr;
    // The target is the first camera of the scene, position 1 of every list.
    for (unsigned int id : c.choiceIds) {
        int choice = 1;
        host.panels().set(ui.panel, id, &choice);
    }
    StartFrame(*cam);
    return cam;
}

// Thread 0 only, before the timed loop.
bool UseCase(const CompositeCase *c) {
    if (gCurrentCase == c) return gCompositeCam != nullptr;
    LWCameraEvaluationFuncs *ev = gEnv->host.evaluationFuncs();
    if (gCurrentCase) {
        gEnv->host.clearCameraType(gCurrentCase->carrier);
        if (gCaseEvaluator) ev->destroy(gCaseEvaluator);
    }
    gCurrentCase = c;
    gCompositeCam = MakeComposite(*c);
    // Made after the composite's tile evaluators, so the host finds it no
    // sooner than any of them.
    gCaseEvaluator = ev->create(gEnv->target);
    ev->init(gCaseEvaluator, LWINIT_RENDER);
    ev->newTime(gCaseEvaluator, kFrame, gEnv->host.frameInfo(kFrame).start);
    ev->newFrame(gCaseEvaluator);
    return gCompositeCam != nullptr;
}

template <bool Varying>
void BM_Composite(benchmark::State &state, const CompositeCase *c) {
    if (state.thread_index() == 0 && !UseCase(c)) {
        std::fprintf(stderr, "%s: composite camera not made\n", c->label.c_str());
        std::exit(1);
    }
    RunStreamOf<Varying>(state, [] { return HandlerPath(*gCompositeCam); });
}

// The delegated camera through the host's service, at the same state of the
// host as the composite's own runs.
template <bool Varying>
void BM_CompositeService(benchmark::State &state, const CompositeCase *c) {
    if (!UseCase(c)) state.SkipWithError("composite camera not made");
    RunStream<Varying>(state, ServicePath(gCaseEvaluator));
}

template <bool Varying>
void BM_TargetDirect(benchmark::State &state) {
    RunStream<Varying>(state, HandlerPath(*gTargetCam));
}

template <bool Varying>
void BM_TargetService(benchmark::State &state) {
    RunStream<Varying>(state, ServicePath(gTargetEvaluator));
}

void SetUpCompositeCases() {
    Host &host = gEnv->host;
    // The target comes first in the scene, so it is entry 1 of every camera list.
    gEnv->target = host.scene().find("Target");
    gTargetCam = host.cameraInstance(gEnv->target);
    StartFrame(*gTargetCam);
    LWCameraEvaluationFuncs *ev = host.evaluationFuncs();
    gTargetEvaluator = ev->create(gEnv->target);
    ev->init(gTargetEvaluator, LWINIT_RENDER);
    ev->newTime(gTargetEvaluator, kFrame, host.frameInfo(kFrame).start);
    ev->newFrame(gTargetEvaluator);

    auto add = [&](const char *label, const char *server, std::vector<unsigned int> ids) {
        auto c = std::make_unique<CompositeCase>();
        c->label = label;
        c->server = server;
        c->choiceIds = std::move(ids);
        c->carrier = gEnv->AddMovingCamera(std::string(label) + "Carrier");
        gComposites.push_back(std::move(c));
    };
    add("Dual", "VantorMultiCam", {MultiCam::ID_LEFT, MultiCam::ID_RIGHT});
    add("4Up", "Vantor4UpCam",
        {FourUpCam::ID_CAM_1_1, FourUpCam::ID_CAM_1_2, FourUpCam::ID_CAM_2_1, FourUpCam::ID_CAM_2_2});
    std::vector<unsigned int> twelve;
    for (unsigned int i = 0; i < 12; ++i) twelve.push_back(TwelveUpCam::ID_CAM_FIRST + i);
    add("12Up", "Vantor12UpCam", twelve);
    add("Overscan", "VantorOverscanCam", {OverscanCam::ID_CAMERA});
}

void RegisterAll() {
    for (const auto &c : gCases) {
        const ProjectionCase *p = c.get();
        benchmark::RegisterBenchmark(("module/" + p->label + "/fixed").c_str(), BM_Module<false>, p)
            ->Threads(1)->Threads(2)->UseRealTime();
        benchmark::RegisterBenchmark(("module/" + p->label + "/varying").c_str(), BM_Module<true>, p)
            ->Threads(1)->Threads(2)->UseRealTime();
        benchmark::RegisterBenchmark(("reference/" + p->label + "/fixed").c_str(), BM_Reference<false>, p)
            ->Threads(1)->Threads(2)->UseRealTime();
        benchmark::RegisterBenchmark(("reference/" + p->label + "/varying").c_str(), BM_Reference<true>, p)
            ->Threads(1)->Threads(2)->UseRealTime();
    }
    benchmark::RegisterBenchmark("target/direct/fixed", BM_TargetDirect<false>)->Threads(1)->Threads(2)->UseRealTime();
    benchmark::RegisterBenchmark("target/direct/varying", BM_TargetDirect<true>)->Threads(1)->Threads(2)->UseRealTime();
    benchmark::RegisterBenchmark("target/service/fixed", BM_TargetService<false>)->UseRealTime();
    benchmark::RegisterBenchmark("target/service/varying", BM_TargetService<true>)->UseRealTime();
    for (const auto &c : gComposites) {
        const CompositeCase *p = c.get();
        benchmark::RegisterBenchmark(("composite/" + p->label + "/fixed").c_str(), BM_Composite<false>, p)
            ->Threads(1)->Threads(2)->UseRealTime();
        benchmark::RegisterBenchmark(("composite/" + p->label + "/varying").c_str(), BM_Composite<true>, p)
            ->Threads(1)->Threads(2)->UseRealTime();
        benchmark::RegisterBenchmark(("service/" + p->label + "/fixed").c_str(), BM_CompositeService<false>, p)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("service/" + p->label + "/varying").c_str(), BM_CompositeService<true>, p)
            ->UseRealTime();
    }
}

// ---- instruction counts ----------------------------------------------------------

constexpr int kCountRows = 4;

// One path over kCountRows rows of one stream with collection on, dumped as
// "<name> <rays>". One row runs uncounted before, so that the per-thread
// state of the module and the host exists (the host's first call of a run
// takes its general path) and the count is that of the rays that follow.
template <bool Varying, class F>
void Count(const std::string &name, F &&eval) {
    int row = 0;
    LWCameraRay ray{};
    long long hits = RunRows<Varying>(eval, row, 1, ray);
    const std::string label = name + " " + std::to_string(kCountRows * kWidth);
#ifdef LENTARA_BENCH_CALLGRIND
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
#endif
    hits += RunRows<Varying>(eval, row, kCountRows, ray);
#ifdef LENTARA_BENCH_CALLGRIND
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(label.c_str());
#endif
    benchmark::DoNotOptimize(hits);
}

template <bool Varying>
void CountStream() {
    const std::string s = Varying ? "/varying" : "/fixed";
    for (const auto &c : gCases) {
        Count<Varying>("module/" + c->label + s, HandlerPath(*c->cam));
        Count<Varying>("reference/" + c->label + s, ReferencePath<Varying>(*c));
    }
    Count<Varying>("target/direct" + s, HandlerPath(*gTargetCam));
    Count<Varying>("target/service" + s, ServicePath(gTargetEvaluator));
    for (const auto &c : gComposites) {
        if (!UseCase(c.get())) continue;
        Count<Varying>("composite/" + c->label + s, HandlerPath(*gCompositeCam));
        Count<Varying>("service/" + c->label + s, ServicePath(gCaseEvaluator));
    }
}

int CountInstructions() {
#ifdef LENTARA_BENCH_CALLGRIND
    if (!RUNNING_ON_VALGRIND) {
        std::fprintf(stderr, "--instructions: run under valgrind --tool=callgrind --collect-atstart=no\n");
        return 1;
    }
    CountStream<false>();
    CountStream<true>();
    return 0;
#else
    std::fprintf(stderr, "--instructions: built without valgrind/callgrind.h\n");
    return 1;
#endif
}

} // namespace

int main(int argc, char **argv) {
    bool countInstructions = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--instructions") == 0) countInstructions = true;
    if (!countInstructions) benchmark::Initialize(&argc, argv);
    Env env;
    gEnv = &env;
    if (!env.module.ok()) {
        std::fprintf(stderr, "module: %s\n", env.module.error().c_str());
        return 1;
    }
    // The composites' target first, so that it heads every camera list.
    LWItemID target = env.AddMovingCamera("Target");
    if (!env.host.setCameraType(target, env.module, "VantorPanoramicCam")) {
        std::fprintf(stderr, "cannot make the target: %s\n", env.host.lastError().c_str());
        return 1;
    }
    SetUpProjectionCases();
    SetUpCompositeCases();
    if (countInstructions) return CountInstructions();
    bool agree = true;
    for (const auto &c : gCases) {
        const double d = Verify(*c);
        std::printf("VERIFY %s %.3g\n", c->label.c_str(), d);
        if (d < 0.0 || d > 1e-12) agree = false;
    }
    std::fflush(stdout);
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gCases.clear();
    return agree ? 0 : 2;
}
