// motion.h -- the camera item's pose sampled across a frame's exposure, and its
// interpolation for one exposure fraction.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "framework/vec.h"
#include "module/lwhost.h"

namespace lentara {

// Position and world axes of the camera at one instant.
struct Pose {
    Vec3 position, right, up, forward;
};

// World direction of a camera-space direction d on the pose axes, normalised.
inline Vec3 WorldDirectionNormalised(const Pose &pose, Vec3 d) {
    return Normalize(WorldDirectionUnnormalised(pose.right, pose.up, pose.forward, d));
}

// The pose that the host's camera access record describes (rows of toWorld
// are the right, up and forward axes).
inline Pose PoseFromAccess(const LWCameraAccess &access) {
    return {Load(access.worldPos), Load(access.toWorld[0]), Load(access.toWorld[1]), Load(access.toWorld[2])};
}

// Motion step count of a frame record to the number of samples taken:
// 3 ... 199 are kept, anything else gives 2.
unsigned SampleCountFor(unsigned motionSteps);

// Linear interpolation over n >= 2 samples spanning the exposure: f <= 0 or
// not a number gives sample 0, f >= 1 sample n-1.
void InterpolateSamples(const double *samples, unsigned n, double f, double out[3]);
// The (index, weight) of that interpolation, shared by every array of a frame.
inline void InterpolationWeights(unsigned n, double f, unsigned &index, double &weight) {
    if (!(f > 0.0)) { // also a fraction that is not a number
        index = 0;
        weight = 0.0;
        return;
    }
    if (f >= 1.0) {
        index = n - 2;
        weight = 1.0;
        return;
    }
    if (n == 2) { // the usual case; the same index and weight as below, sooner
        index = 0;
        weight = f;
        return;
    }
    const double x = f * static_cast<double>(n - 1);
    unsigned i = static_cast<unsigned>(x);
    if (i > n - 2) i = n - 2;
    index = i;
    weight = x - static_cast<double>(i);
}

// Samples of the camera item's world position and right, up and forward axes
// at n times from the frame's start to its end.
class MotionSamples {
public:
    unsigned sampleCount = 0;
    std::unique_ptr<double[]> samplePositions, sampleRights, sampleUps, sampleForwards;

    // Rebuilds the samples; throws std::bad_alloc when memory runs out.
    // Without item info (or its param function) none are held afterwards.
    void SetUp(const LWItemInfo *iteminfo, LWItemID item, double start, double duration, unsigned n);
    void CleanUp();
    bool Empty() const { return sampleCount == 0; }
    Pose Interpolate(double fraction) const {
        Pose p;
        InterpolateInto(fraction, p);
        return p;
    }
    // The same, written straight into `out` (the per-ray cache-miss path).
    void InterpolateInto(double fraction, Pose &out) const {
        unsigned i;
        double w;
        InterpolationWeights(sampleCount, fraction, i, w);
        const double v = 1.0 - w;
        auto lerp = [&](const double *a, Vec3 &o) {
            const double *p = a + 3 * i;
            o = Vec3{v * p[0] + w * p[3], v * p[1] + w * p[4], v * p[2] + w * p[5]};
        };
        lerp(samplePositions.get(), out.position);
        lerp(sampleRights.get(), out.right);
        lerp(sampleUps.get(), out.up);
        lerp(sampleForwards.get(), out.forward);
    }
    Pose Sample(unsigned k) const;
    // Identifies this set of samples; changes with every SetUp and CleanUp so
    // that per-thread pose caches never outlive the samples they came from.
    std::uint64_t Generation() const { return generation_; }

private:
    std::uint64_t generation_ = 0;
};

// On ELF systems per-thread caches of the evaluate path live in the static
// TLS block: glibc keeps a surplus of it for libraries that are opened later,
// so the module still loads with dlopen, and every ray saves the call through
// __tls_get_addr that the default model for a shared object costs. glibc does
// not give that space back on dlclose, so the module files are linked to stay
// loaded once opened (cmake/LentaraModule.cmake); loading them again costs none.
// On Windows they are native thread-locals too (the loader lays out every
// thread's block), which is why the Windows builds are compiled by clang: mingw
// GCC emulates thread_local and allocates on a thread's first access.
// macOS is the exception still: dyld allocates a thread's block of these on
// its first access, so the first ray of each render thread allocates there.
#if defined(__ELF__) && defined(__GNUC__)
#define LENTARA_FAST_TLS __attribute__((tls_model("initial-exec")))
#else
#define LENTARA_FAST_TLS
#endif

// For the evaluate path's small kernels that are written once and used on
// several branches, each of which should get its own inlined copy.
#if defined(__GNUC__)
#define LENTARA_ALWAYS_INLINE inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define LENTARA_ALWAYS_INLINE __forceinline
#else
#define LENTARA_ALWAYS_INLINE inline
#endif
#if defined(__GNUC__)
#define LENTARA_NOINLINE __attribute__((noinline))
#elif defined(_MSC_VER)
#define LENTARA_NOINLINE __declspec(noinline)
#else
#define LENTARA_NOINLINE
#endif

// A per-thread cache of something a camera derives from the pose at one
// exposure fraction of one set of samples (e.g. the pose in another
// precision).  Keep it in a thread_local; fractions match bit for bit.
template <class T>
struct FractionCache {
    const MotionSamples *owner = nullptr;
    std::uint64_t generation = 0;
    double fraction = 0.0;
    T value{};

    bool Holds(const MotionSamples &samples, double f) const {
        return owner == &samples && generation == samples.Generation() &&
               std::memcmp(&fraction, &f, sizeof f) == 0;
    }
    void Mark(const MotionSamples &samples, double f) {
        owner = &samples;
        generation = samples.Generation();
        fraction = f;
    }
};

// After a miss of a per-thread cache at fraction f: true when the previous
// miss was at f as well (the caller then keeps its value for f), otherwise
// notes f as the last miss.  So a stream with a new fraction for every ray
// writes a few words per ray, not the value.
inline bool RepeatedMiss(FractionCache<char> &lastMiss, const MotionSamples &samples, double f) {
    if (lastMiss.Holds(samples, f)) return true;
    lastMiss.Mark(samples, f);
    return false;
}

// The same rule for a value the caller has at hand: kept in `cache` for f
// on a repeated miss.
template <class T>
inline void KeepOnRepeat(FractionCache<T> &cache, FractionCache<char> &lastMiss, const MotionSamples &samples,
                         double f, const T &value) {
    if (!RepeatedMiss(lastMiss, samples, f)) return;
    cache.value = value;
    cache.Mark(samples, f);
}

namespace detail {
inline thread_local FractionCache<Pose> tPoseCache LENTARA_FAST_TLS;
inline thread_local FractionCache<char> tPoseLastMiss LENTARA_FAST_TLS;
} // namespace detail

// The frame pose for one exposure fraction. Evaluate runs on many host
// threads at once, so the cache of the last fraction is kept per thread and
// nothing in the instance is written; without samples the access record
// passed with the call gives the pose. Inline: a cache hit costs no call and
// no copy (the cached pose is returned), a miss interpolates into `scratch`
// (a local of the caller) and returns that.  A pose is kept in the per-thread
// cache only once its fraction comes twice in a row, so a stream with a new
// fraction for every ray writes a few words per ray, not the pose.
inline const Pose &PoseForFraction(const MotionSamples &samples, double fraction, const LWCameraAccess *access,
                                   Pose &scratch) {
    if (samples.Empty()) {
        scratch = access ? PoseFromAccess(*access) : Pose{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        return scratch;
    }
    FractionCache<Pose> &c = detail::tPoseCache;
    if (c.Holds(samples, fraction)) return c.value;
    samples.InterpolateInto(fraction, scratch);
    KeepOnRepeat(c, detail::tPoseLastMiss, samples, fraction, scratch);
    return scratch;
}

// The same pose by value, for paths off the per-ray one.
inline Pose PoseForFraction(const MotionSamples &samples, double fraction, const LWCameraAccess *access) {
    Pose scratch;
    return PoseForFraction(samples, fraction, access, scratch);
}

} // namespace lentara
