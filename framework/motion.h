// motion.h -- the camera item's pose sampled across a frame's exposure, and its
// interpolation for one exposure fraction.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/vec.h"
#include "module/lwhost.h"

namespace lentara {

// Position and world axes of the camera at one instant.
struct Pose {
    Vec3 position, right, up, forward;
};

// The pose that the host's camera access record describes (rows of toWorld
// are the right, up and forward axes).
Pose PoseFromAccess(const LWCameraAccess &access);

// Motion step count of a frame record to the number of samples taken:
// 3 ... 199 are kept, anything else gives 2.
unsigned SampleCountFor(unsigned motionSteps);

// Linear interpolation over n >= 2 samples spanning the exposure: f <= 0 or
// not a number gives sample 0, f >= 1 sample n-1.
void InterpolateSamples(const double *samples, unsigned n, double f, double out[3]);
// The (index, weight) of that interpolation, shared by every array of a frame.
void InterpolationWeights(unsigned n, double f, unsigned &index, double &weight);

// Samples of the camera item's world position and right, up and forward axes
// at n times from the frame's start to its end.
class MotionSamples {
public:
    unsigned sampleCount = 0;
    std::unique_ptr<double[]> samplePositions, sampleRights, sampleUps, sampleForwards;

    // Rebuilds the samples; throws std::bad_alloc when memory runs out.
    void SetUp(const LWItemInfo *iteminfo, LWItemID item, double start, double duration, unsigned n);
    void CleanUp();
    bool Empty() const { return sampleCount == 0; }
    Pose Interpolate(double fraction) const;
    Pose Sample(unsigned k) const;
    // Identifies this set of samples; changes with every SetUp and CleanUp so
    // that per-thread pose caches never outlive the samples they came from.
    std::uint64_t Generation() const { return generation_; }

private:
    std::uint64_t generation_ = 0;
};

// The frame pose for one exposure fraction. Evaluate runs on many host
// threads at once, so the cache of the last fraction is kept per thread and
// nothing in the instance is written; without samples the access record
// passed with the call gives the pose.
const Pose &PoseForFraction(const MotionSamples &samples, double fraction, const LWCameraAccess *access);

} // namespace lentara
