// projection.h -- the Perspective family's thin-lens mapping, free of host calls.
//
// Parameters (meaning, source):
//   filmDistance   distance of the film plane, zoom factor * film height * 0.5
//   lensRadius     filmDistance * 0.5 / f-stop; 0 for a pinhole, and 0 when
//                  that quotient does not fit single precision
//   focusDistance  distance from the camera to the plane in focus
//
// The pose and the working vectors are kept in single precision, with the two
// divisions of the normalisation taken in double precision; every step below
// rounds where the family has always rounded, so stored renders keep their rays.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "framework/motion.h"
#include "framework/vec.h"

namespace PerspectiveCam {

struct Vec3f {
    float x, y, z;
};

inline Vec3f ToSingle(const lentara::Vec3 &v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}
inline lentara::Vec3 ToDouble(const Vec3f &v) { return {v.x, v.y, v.z}; }
inline float DotF(const Vec3f &a, const Vec3f &b) {
    const float xx = a.x * b.x;
    const float yy = a.y * b.y;
    const float zz = a.z * b.z;
    const float s = xx + yy;
    return s + zz;
}
inline Vec3f ScaleF(const Vec3f &v, float s) { return {v.x * s, v.y * s, v.z * s}; }

// Negative exactly when f lies in [lo, hi], two positive floats given by
// their bits. The bits of non-negative floats are ordered as their values;
// the unsigned difference wraps every float below lo, every negative float
// and every NaN above the width of the range. A sign, not a comparison, so
// two such tests can be joined with & into one branch (GCC splits a & of
// comparisons into a branch each).
inline std::int64_t SignOfInRange(float f, std::uint32_t lo, std::uint32_t hi) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return std::int64_t(bits - lo) - std::int64_t(hi - lo + 1u);
}
constexpr std::uint32_t kSmallestFloatBits = 0x00000001u; // the smallest subnormal
constexpr std::uint32_t kSmallestNormalBits = 0x00800000u; // FLT_MIN
constexpr std::uint32_t kLargestFloatBits = 0x7F7FFFFFu;   // FLT_MAX

// The frame pose rounded to single precision.
struct PoseF {
    Vec3f position, right, up, forward;
};

inline PoseF ToSingle(const lentara::Pose &p) {
    return {ToSingle(p.position), ToSingle(p.right), ToSingle(p.up), ToSingle(p.forward)};
}

// A float widened to double as an opaque value. The optimiser must not treat
// "round to float, then widen" as nothing, and GCC 12's vectoriser has been
// seen doing just that for a pose rounded and widened in one function; the
// empty asm hands it a float it cannot see through.
inline double Widen(float f) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
    asm("" : "+x"(f));
#elif defined(__GNUC__) && defined(__aarch64__)
    asm("" : "+w"(f));
#endif
    return f;
}
inline lentara::Vec3 Widen(const Vec3f &v) { return {Widen(v.x), Widen(v.y), Widen(v.z)}; }
inline lentara::Pose Wide(const PoseF &p) {
    return {Widen(p.position), Widen(p.right), Widen(p.up), Widen(p.forward)};
}

// The rounded pose as the ray needs it: the floats for the single-precision
// steps and the same values widened (exactly) to double for the steps taken
// in double precision, so a ray converts none of them.
struct RoundedPose {
    Vec3f right, up, forward;
    lentara::Pose wide;
};

inline RoundedPose Rounded(const PoseF &p) { return {p.right, p.up, p.forward, Wide(p)}; }
inline RoundedPose Rounded(const lentara::Pose &p) { return Rounded(ToSingle(p)); }

#if defined(__SSE2__) || defined(_M_X64)
namespace detail {
// One vector of the pose at weight w between two samples, v * a + w * b
// (v = 1 - w), rounded to single precision, as floats and widened back.
// The conversions are the processor's own vector instructions, which the
// optimiser neither vectorises nor folds, so they need no opaque Widen and
// the x and y components share one instruction per step.
struct RoundedVec {
    Vec3f f;
    lentara::Vec3 d;
};
LENTARA_ALWAYS_INLINE RoundedVec LerpRounded(const double *a, __m128d v, __m128d w) {
    const __m128d xy = _mm_add_pd(_mm_mul_pd(v, _mm_loadu_pd(a)), _mm_mul_pd(w, _mm_loadu_pd(a + 3)));
    const __m128d z = _mm_add_sd(_mm_mul_sd(v, _mm_load_sd(a + 2)), _mm_mul_sd(w, _mm_load_sd(a + 5)));
    const __m128 fxy = _mm_cvtpd_ps(xy);
    const __m128 fz = _mm_cvtsd_ss(_mm_setzero_ps(), z);
    const __m128d dxy = _mm_cvtps_pd(fxy);
    const __m128d dz = _mm_cvtss_sd(_mm_setzero_pd(), fz);
    return {{_mm_cvtss_f32(fxy), _mm_cvtss_f32(_mm_shuffle_ps(fxy, fxy, 1)), _mm_cvtss_f32(fz)},
            {_mm_cvtsd_f64(dxy), _mm_cvtsd_f64(_mm_unpackhi_pd(dxy, dxy)), _mm_cvtsd_f64(dz)}};
}
} // namespace detail
#endif

// The rounded pose at one exposure fraction of the motion samples (which
// must not be empty): the samples' interpolation, rounded, as Rounded gives it.
LENTARA_ALWAYS_INLINE RoundedPose RoundedAt(const lentara::MotionSamples &samples, double fraction) {
#if defined(__SSE2__) || defined(_M_X64)
    unsigned i;
    double w;
    lentara::InterpolationWeights(samples.sampleCount, fraction, i, w);
    const __m128d vv = _mm_set1_pd(1.0 - w), ww = _mm_set1_pd(w);
    const std::size_t k = 3 * std::size_t(i);
    const detail::RoundedVec P = detail::LerpRounded(samples.samplePositions.get() + k, vv, ww);
    const detail::RoundedVec R = detail::LerpRounded(samples.sampleRights.get() + k, vv, ww);
    const detail::RoundedVec U = detail::LerpRounded(samples.sampleUps.get() + k, vv, ww);
    const detail::RoundedVec F = detail::LerpRounded(samples.sampleForwards.get() + k, vv, ww);
    return {R.f, U.f, F.f, {P.d, R.d, U.d, F.d}};
#else
    return Rounded(samples.Interpolate(fraction));
#endif
}

struct LensParams {
    float filmDistance;
    float lensRadius;
    double focusDistance;
};

// Film distance for a zoom factor and film height, rounded to single precision.
inline float FilmDistance(double zoom, double filmHeight) { return static_cast<float>(zoom * filmHeight * 0.5); }

// Lens radius for a film distance and f-stop; an f-stop that is not a positive
// number gives a pinhole, and so does one so small that the radius rounds to
// infinity in single precision (no lens sample could be placed on such a lens:
// even the centre would be 0 * inf).
inline float LensRadius(float filmDistance, double fStop) {
    if (!(std::isfinite(fStop) && fStop > 0.0)) return 0.0f;
    const float a = static_cast<float>(static_cast<double>(filmDistance) * 0.5 / fStop);
    return std::isfinite(a) ? a : 0.0f;
}

struct Ray {
    lentara::Vec3 origin, direction, filmNormal;
};

// Unit vector of v in the family's precision: v.v summed in single precision,
// the reciprocal length in double, the scaling in single.
inline Vec3f NormalizeF(const Vec3f &v) {
    const float g = static_cast<float>(1.0 / std::sqrt(static_cast<double>(DotF(v, v))));
    return ScaleF(v, g);
}

// How the kernel below reads a pose: the floats of the single-precision
// steps, and the values widened to double for the steps in double precision
// (read from a rounded pose, or widened on the spot from a PoseF by Wide).
inline const Vec3f &SingleRight(const RoundedPose &p) { return p.right; }
inline const Vec3f &SingleUp(const RoundedPose &p) { return p.up; }
inline const Vec3f &SingleForward(const RoundedPose &p) { return p.forward; }
inline const lentara::Pose &Wide(const RoundedPose &p) { return p.wide; }
inline const Vec3f &SingleRight(const PoseF &p) { return p.right; }
inline const Vec3f &SingleUp(const PoseF &p) { return p.up; }
inline const Vec3f &SingleForward(const PoseF &p) { return p.forward; }

// The ray through film point (filmX, filmY) and lens sample (lensX, lensY)
// for a RoundedPose or a PoseF.
// A focus that leaves no point to aim at keeps the pinhole direction (see
// below). Non-finite film or lens input yields non-finite components; the
// caller refuses such rays.
template <class PoseT>
inline Ray ThinLensRay(const PoseT &pose, const LensParams &lens, double filmX, double filmY, double lensX,
                       double lensY) {
    const Vec3f &R = SingleRight(pose), &U = SingleUp(pose), &F = SingleForward(pose);
    const auto &W = Wide(pose);
    Ray ray;
    ray.filmNormal = W.forward;

    // Lens offset in the lens plane, spanned by the right and up axes.
    const double a = lens.lensRadius;
    const double ox = lensX * a;
    const double oy = lensY * a;
    const lentara::Vec3 offset = {ox * W.right.x + oy * W.up.x, ox * W.right.y + oy * W.up.y,
                                  ox * W.right.z + oy * W.up.z};
    ray.origin = {W.position.x + offset.x, W.position.y + offset.y, W.position.z + offset.z};

    // Direction through the film point for a pinhole at the pose position.
    const float x = static_cast<float>(filmX);
    const float y = static_cast<float>(filmY);
    const float f = lens.filmDistance;
    const Vec3f V = {x * R.x + y * U.x + f * F.x, x * R.y + y * U.y + f * F.y, x * R.z + y * U.z + f * F.z};

    // Compute the point in focus on the pinhole ray, then aim the lens sample at it.
    const float s = static_cast<float>(lens.focusDistance / std::sqrt(static_cast<double>(DotF(V, V))));
    const Vec3f Q = ScaleF(V, s);
    const Vec3f G = {static_cast<float>(Q.x - offset.x), static_cast<float>(Q.y - offset.y),
                     static_cast<float>(Q.z - offset.z)};
    const float gg = DotF(G, G);

    // No usable point in focus: the pinhole direction. The scale s is not a
    // positive finite float when the focus distance is not a positive number
    // (zero, negative, NaN or infinite), so small that s rounds to 0, or
    // beyond single precision. G.G overflows for a focus beyond about 1.8e19,
    // and drops below the smallest normal float (where 1 / |G| loses its
    // precision, down to 0 and a NaN ray) when G is shorter than about 1e-19:
    // a focus that near, at the lens centre, where the pinhole direction is
    // the exact answer. One branch per ray, taken the same way by a frame's rays.
    const std::int64_t sIn = SignOfInRange(s, kSmallestFloatBits, kLargestFloatBits);
    const std::int64_t ggIn = SignOfInRange(gg, kSmallestNormalBits, kLargestFloatBits);
    if ((sIn & ggIn) >= 0) {
        ray.direction = ToDouble(NormalizeF(V));
        return ray;
    }
    const float g = static_cast<float>(1.0 / std::sqrt(static_cast<double>(gg)));
    ray.direction = ToDouble(ScaleF(G, g));
    return ray;
}

// Hands the ray to the host; its direction and film normal are widened
// single-precision values.
inline int WriteLensRay(LWCameraRay *out, const Ray &ray) {
    return lentara::WriteCheckedRay(out, lentara::RayIsUsableSinglePrecision(ray.origin, ray.direction, ray.filmNormal),
                                    ray.origin, ray.direction, ray.filmNormal);
}

} // namespace PerspectiveCam
