// motion.cpp -- motion sampling and pose interpolation.
#include "framework/motion.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace lentara {

namespace {
std::atomic<std::uint64_t> gNextGeneration{1};
} // namespace

unsigned SampleCountFor(unsigned motionSteps) { return (motionSteps >= 3 && motionSteps <= 199) ? motionSteps : 2; }

void InterpolateSamples(const double *samples, unsigned n, double f, double out[3]) {
    unsigned i;
    double w;
    InterpolationWeights(n, f, i, w);
    const double *a = samples + 3 * i;
    for (int c = 0; c < 3; ++c) out[c] = (1.0 - w) * a[c] + w * a[c + 3];
}

void MotionSamples::SetUp(const LWItemInfo *iteminfo, LWItemID item, double start, double duration, unsigned n) {
    CleanUp();
    // Without the item parameter function there is nothing to sample; no
    // samples makes evaluate take the pose from the call's access record
    // rather than from the origin.
    if (!iteminfo || !iteminfo->param) return;
    if (n < 2) n = 2;
    std::unique_ptr<double[]> pos(new double[3 * n]), right(new double[3 * n]), up(new double[3 * n]),
        fwd(new double[3 * n]);
    for (unsigned k = 0; k < n; ++k) {
        // Sample k of n lies at start + duration * k / (n - 1): the first at the
        // frame's start, the last at its end.
        const double t = start + duration * static_cast<double>(k) / static_cast<double>(n - 1);
        double *r = &right[3 * k], *u = &up[3 * k], *f = &fwd[3 * k], *p = &pos[3 * k];
        r[0] = 1, r[1] = 0, r[2] = 0;
        u[0] = 0, u[1] = 1, u[2] = 0;
        f[0] = 0, f[1] = 0, f[2] = 1;
        p[0] = p[1] = p[2] = 0;
        iteminfo->param(item, LWIP_RIGHT, t, r);
        iteminfo->param(item, LWIP_UP, t, u);
        iteminfo->param(item, LWIP_FORWARD, t, f);
        iteminfo->param(item, LWIP_W_POSITION, t, p);
    }
    samplePositions = std::move(pos);
    sampleRights = std::move(right);
    sampleUps = std::move(up);
    sampleForwards = std::move(fwd);
    sampleCount = n;
    generation_ = gNextGeneration.fetch_add(1, std::memory_order_relaxed);
}

void MotionSamples::CleanUp() {
    sampleCount = 0;
    samplePositions.reset();
    sampleRights.reset();
    sampleUps.reset();
    sampleForwards.reset();
    generation_ = gNextGeneration.fetch_add(1, std::memory_order_relaxed);
}

Pose MotionSamples::Sample(unsigned k) const {
    return {Load(&samplePositions[3 * k]), Load(&sampleRights[3 * k]), Load(&sampleUps[3 * k]),
            Load(&sampleForwards[3 * k])};
}

} // namespace lentara
