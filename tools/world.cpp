// world.cpp -- ray intersection and shading of the preview world.
#include "tools/world.h"

#include <algorithm>
#include <limits>

#include "tools/environment.h"

namespace lentara::tool {

namespace {

constexpr double kEpsilon = 1e-6;

Rgb Mix(Rgb a, Rgb b, double t) {
    const float s = static_cast<float>(t);
    return {a.r + (b.r - a.r) * s, a.g + (b.g - a.g) * s, a.b + (b.b - a.b) * s};
}

Rgb Scale(Rgb a, double s) {
    const float f = static_cast<float>(s);
    return {a.r * f, a.g * f, a.b * f};
}

V3 Lerp(V3 a, V3 b, double t) { return a + t * (b - a); }

Rgb Albedo(const Material &m, V3 pCheck) {
    if (!m.checker) return m.colour;
    const double s = m.checkerSize > 0 ? m.checkerSize : 1.0;
    const long ix = static_cast<long>(std::floor(pCheck.x / s));
    const long iy = static_cast<long>(std::floor(pCheck.y / s));
    const long iz = static_cast<long>(std::floor(pCheck.z / s));
    return ((ix + iy + iz) & 1) ? m.colour2 : m.colour;
}

// Ray against a sphere of radius r at the origin; the nearest t in (tMin, tMax).
bool HitSphere(V3 o, V3 d, double r, double tMax, double *t) {
    const double a = Dot(d, d);
    const double b = Dot(o, d);
    const double c = Dot(o, o) - r * r;
    const double disc = b * b - a * c;
    if (disc < 0) return false;
    const double root = std::sqrt(disc);
    double candidate = (-b - root) / a;
    if (candidate <= kEpsilon) candidate = (-b + root) / a;
    if (candidate <= kEpsilon || candidate >= tMax) return false;
    *t = candidate;
    return true;
}

// Ray against an axis-aligned box of half extents h at the origin (slabs).
bool HitBox(V3 o, V3 d, V3 h, double tMax, double *t, V3 *normal) {
    double tNear = -std::numeric_limits<double>::infinity(), tFar = std::numeric_limits<double>::infinity();
    int axisNear = 0, axisFar = 0;
    const double os[3] = {o.x, o.y, o.z}, ds[3] = {d.x, d.y, d.z}, hs[3] = {h.x, h.y, h.z};
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(ds[i]) < 1e-300) {
            if (os[i] < -hs[i] || os[i] > hs[i]) return false;
            continue;
        }
        double t0 = (-hs[i] - os[i]) / ds[i], t1 = (hs[i] - os[i]) / ds[i];
        if (t0 > t1) std::swap(t0, t1);
        if (t0 > tNear) {
            tNear = t0;
            axisNear = i;
        }
        if (t1 < tFar) {
            tFar = t1;
            axisFar = i;
        }
        if (tNear > tFar) return false;
    }
    int axis = axisNear;
    double candidate = tNear;
    if (candidate <= kEpsilon) {
        candidate = tFar;
        axis = axisFar;
    }
    if (candidate <= kEpsilon || candidate >= tMax) return false;
    *t = candidate;
    double n[3] = {0, 0, 0};
    n[axis] = ds[axis] > 0 ? -1.0 : 1.0;
    if (candidate == tFar && tNear <= kEpsilon) n[axis] = -n[axis]; // inside the box
    *normal = {n[0], n[1], n[2]};
    return true;
}

} // namespace

Placement FrameObject::At(double fraction) const {
    if (placements.empty()) return {};
    if (placements.size() == 1 || !(fraction > 0.0)) return placements.front();
    if (fraction >= 1.0) return placements.back();
    const double f = fraction * static_cast<double>(placements.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(f), placements.size() - 2);
    const double t = f - static_cast<double>(i);
    const Placement &a = placements[i], &b = placements[i + 1];
    return {Lerp(a.position, b.position, t), Lerp(a.right, b.right, t), Lerp(a.up, b.up, t),
            Lerp(a.forward, b.forward, t)};
}

bool World::Intersect(V3 origin, V3 dir, double fraction, double tMax, Hit *hit) const {
    bool found = false;
    double best = tMax;
    for (const FrameObject &object : objects) {
        const Placement pl = object.At(fraction);
        // Into the object's frame: axes are (near) orthonormal.
        const V3 rel = origin - pl.position;
        const V3 o{Dot(rel, pl.right), Dot(rel, pl.up), Dot(rel, pl.forward)};
        const V3 d{Dot(dir, pl.right), Dot(dir, pl.up), Dot(dir, pl.forward)};
        double t = 0;
        V3 nLocal;
        bool hitThis = false;
        if (object.shape.kind == ShapeKind::Sphere) {
            hitThis = HitSphere(o, d, object.shape.radius, best, &t);
            if (hitThis) nLocal = o + t * d;
        } else {
            hitThis = HitBox(o, d, 0.5 * object.shape.size, best, &t, &nLocal);
        }
        if (!hitThis) continue;
        best = t;
        found = true;
        if (hit) {
            hit->t = t;
            hit->normal = Unit(nLocal.x * pl.right + nLocal.y * pl.up + nLocal.z * pl.forward);
            hit->point = o + t * d; // object space, for the checker pattern
            hit->material = &object.shape.material;
        }
    }
    if (environment.ground && std::fabs(dir.y) > 1e-300) {
        const double t = (environment.groundHeight - origin.y) / dir.y;
        if (t > kEpsilon && t < best) {
            found = true;
            if (hit) {
                hit->t = t;
                hit->normal = {0, origin.y >= environment.groundHeight ? 1.0 : -1.0, 0};
                hit->point = origin + t * dir;
                hit->material = &environment.groundMaterial;
            }
        }
    }
    return found;
}

Rgb World::Sky(V3 d, const RayFootprint *footprint) const {
    if (map) return map->Lookup(d, footprint);
    const Environment &env = environment;
    Rgb colour;
    if (d.y >= 0) {
        colour = Mix(env.horizon, env.zenith, std::sqrt(std::min(1.0, d.y)));
    } else {
        colour = Mix(env.horizon, env.below, std::min(1.0, -d.y * 4.0));
    }
    const V3 sunDir = Unit(env.sunDirection);
    const double cosAngle = Dot(d, sunDir);
    const double cosSun = std::cos(env.sunRadiusDegrees * M_PI / 180.0);
    if (cosAngle >= cosSun) return env.sun;
    // soft glow around the disk
    const double glow = std::pow(std::max(0.0, cosAngle), 64.0) * 0.35;
    return Mix(colour, env.sun, glow);
}

Rgb World::Trace(V3 origin, V3 direction, double fraction, const RayFootprint *footprint) const {
    const V3 dir = Unit(direction);
    if (!Finite(origin) || !Finite(dir) || Length(dir) == 0) return {};
    Hit hit{};
    if (!Intersect(origin, dir, fraction, std::numeric_limits<double>::infinity(), &hit)) return Sky(dir, footprint);

    const Rgb albedo = Albedo(*hit.material, hit.point);
    const V3 sunDir = Unit(environment.sunDirection);
    V3 n = hit.normal;
    if (Dot(n, dir) > 0) n = -1.0 * n;
    const V3 pWorld = origin + hit.t * dir;
    double direct = std::max(0.0, Dot(n, sunDir));
    if (direct > 0 && Intersect(pWorld + 1e-4 * n, sunDir, fraction, std::numeric_limits<double>::infinity(), nullptr))
        direct = 0;
    const double ambient = 0.30 + 0.15 * (0.5 + 0.5 * n.y);
    Rgb lit = Scale(albedo, ambient + 0.75 * direct);
    lit.r *= 0.85f + 0.15f * environment.sun.r;
    lit.g *= 0.85f + 0.15f * environment.sun.g;
    lit.b *= 0.85f + 0.15f * environment.sun.b;
    // distance haze
    if (environment.fogDistance > 0) {
        const double haze = 1.0 - std::exp(-hit.t / environment.fogDistance);
        lit = Mix(lit, environment.horizon, haze);
    }
    return lit;
}

} // namespace lentara::tool
