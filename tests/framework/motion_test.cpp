// Motion sampling and pose interpolation over the exposure.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "framework/motion.h"

using namespace lentara;

namespace {

// Item info whose camera moves along +X at 1 unit/s and turns its forward
// axis about Y at 1 rad/s; enough to tell sample times apart.
void Param(LWItemID, LWItemParam code, LWTime t, LWDVector out) {
    switch (code) {
    case LWIP_W_POSITION: out[0] = t, out[1] = 0, out[2] = 0; break;
    case LWIP_RIGHT: out[0] = std::cos(t), out[1] = 0, out[2] = -std::sin(t); break;
    case LWIP_UP: out[0] = 0, out[1] = 1, out[2] = 0; break;
    case LWIP_FORWARD: out[0] = std::sin(t), out[1] = 0, out[2] = std::cos(t); break;
    default: out[0] = out[1] = out[2] = 0;
    }
}

LWItemInfo MovingItemInfo() {
    LWItemInfo info{};
    info.param = Param;
    return info;
}

} // namespace

TEST(SampleCount, KeepsThreeTo199AndOtherwiseTwo) {
    for (unsigned steps : {0u, 1u, 2u, 200u, 1000u}) EXPECT_EQ(SampleCountFor(steps), 2u) << steps;
    for (unsigned steps : {3u, 17u, 199u}) EXPECT_EQ(SampleCountFor(steps), steps) << steps;
}

TEST(Interpolation, FollowsTheSamplesAcrossTheWholeExposure) {
    const double two[] = {0, 0, 0, 10, 20, 30};
    double out[3];
    InterpolateSamples(two, 2, 0.5, out);
    EXPECT_DOUBLE_EQ(out[0], 5);
    EXPECT_DOUBLE_EQ(out[2], 15);
    InterpolateSamples(two, 2, 1.0, out);
    EXPECT_DOUBLE_EQ(out[1], 20);

    // Four samples: fraction 0.5 lies halfway between samples 1 and 2.
    const double four[] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3};
    InterpolateSamples(four, 4, 0.5, out);
    EXPECT_DOUBLE_EQ(out[0], 1.5);
    unsigned i;
    double w;
    InterpolationWeights(4, 0.5, i, w);
    EXPECT_EQ(i, 1u);
    EXPECT_DOUBLE_EQ(w, 0.5);

    // The mapping is continuous and monotone across sample boundaries.
    double prev = -1;
    for (int k = 0; k <= 300; ++k) {
        InterpolateSamples(four, 4, k / 300.0, out);
        EXPECT_NEAR(out[0], 3.0 * k / 300.0, 1e-12);
        EXPECT_GE(out[0], prev);
        prev = out[0];
    }
}

TEST(Interpolation, OutOfRangeAndNotANumberFractionsClampToTheEnds) {
    const double four[] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3};
    double out[3];
    InterpolateSamples(four, 4, -0.25, out);
    EXPECT_EQ(out[0], 0);
    InterpolateSamples(four, 4, std::numeric_limits<double>::quiet_NaN(), out);
    EXPECT_EQ(out[0], 0);
    InterpolateSamples(four, 4, 7.0, out);
    EXPECT_EQ(out[0], 3);
    InterpolateSamples(four, 4, std::numeric_limits<double>::infinity(), out);
    EXPECT_EQ(out[0], 3);
}

TEST(MotionSamples, SpanTheExposureFromStartToEnd) {
    LWItemInfo info = MovingItemInfo();
    MotionSamples s;
    s.SetUp(&info, nullptr, 2.0, 0.5, 5);
    ASSERT_EQ(s.sampleCount, 5u);
    EXPECT_DOUBLE_EQ(s.samplePositions[0], 2.0);
    EXPECT_DOUBLE_EQ(s.samplePositions[3 * 4], 2.5); // last sample at the exposure's end
    EXPECT_DOUBLE_EQ(s.samplePositions[3 * 2], 2.25);
    EXPECT_NEAR(s.sampleForwards[3 * 4], std::sin(2.5), 1e-15);

    const Pose mid = s.Interpolate(0.5);
    EXPECT_DOUBLE_EQ(mid.position.x, 2.25);
    const Pose end = s.Interpolate(1.0);
    EXPECT_DOUBLE_EQ(end.position.x, 2.5);

    s.CleanUp();
    EXPECT_TRUE(s.Empty());
    EXPECT_EQ(s.samplePositions, nullptr);
}

// Without item info, or without its parameter function, nothing is
// sampled: the samples held before are dropped and the pose comes from the
// access record, not from the origin.
TEST(MotionSamples, WithoutItemInfoNoneAreMade) {
    LWItemInfo moving = MovingItemInfo();
    LWItemInfo noParam{};
    LWCameraAccess access{};
    access.worldPos[0] = 5, access.worldPos[1] = 6, access.worldPos[2] = 7;
    access.toWorld[0][0] = 1;
    access.toWorld[1][1] = 1;
    access.toWorld[2][2] = 1;
    const LWItemInfo *const withoutParam[] = {nullptr, &noParam};
    for (const LWItemInfo *info : withoutParam) {
        MotionSamples s;
        s.SetUp(&moving, nullptr, 2.0, 0.5, 3);
        ASSERT_FALSE(s.Empty());
        s.SetUp(info, nullptr, 2.0, 0.5, 3);
        EXPECT_TRUE(s.Empty());
        EXPECT_EQ(s.samplePositions, nullptr);
        Pose scratch;
        const Pose &p = PoseForFraction(s, 0.5, &access, scratch);
        EXPECT_EQ(p.position.x, 5);
        EXPECT_EQ(p.position.z, 7);
        EXPECT_EQ(PoseForFraction(s, 0.25, &access).position.y, 6);
    }
}

TEST(PoseCache, WithoutSamplesTheAccessRecordGivesThePose) {
    MotionSamples none;
    LWCameraAccess access{};
    access.worldPos[0] = 7;
    access.toWorld[0][2] = -1; // right
    access.toWorld[1][1] = 1;  // up
    access.toWorld[2][0] = 1;  // forward
    const Pose &p = PoseForFraction(none, 0.3, &access);
    EXPECT_EQ(p.position.x, 7);
    EXPECT_EQ(p.right.z, -1);
    EXPECT_EQ(p.forward.x, 1);
}

TEST(PoseCache, IsPerThreadAndNeverServesAnotherSetsPose) {
    LWItemInfo info = MovingItemInfo();
    MotionSamples a, b;
    a.SetUp(&info, nullptr, 0.0, 1.0, 3);
    b.SetUp(&info, nullptr, 10.0, 1.0, 3);
    EXPECT_DOUBLE_EQ(PoseForFraction(a, 0.5, nullptr).position.x, 0.5);
    EXPECT_DOUBLE_EQ(PoseForFraction(b, 0.5, nullptr).position.x, 10.5);
    // Rebuilding a set invalidates what was cached for it.
    a.SetUp(&info, nullptr, 4.0, 1.0, 3);
    EXPECT_DOUBLE_EQ(PoseForFraction(a, 0.5, nullptr).position.x, 4.5);

    // Two threads interleaving fractions on one set see exactly the
    // single-threaded poses.
    std::vector<double> fractions;
    for (int k = 0; k < 2000; ++k) fractions.push_back((k * 37 % 101) / 100.0);
    std::vector<double> expected;
    for (double f : fractions) expected.push_back(a.Interpolate(f).forward.x);
    auto run = [&](std::vector<double> &got) {
        for (double f : fractions) got.push_back(PoseForFraction(a, f, nullptr).forward.x);
    };
    std::vector<double> r1, r2;
    std::thread t1(run, std::ref(r1)), t2(run, std::ref(r2));
    t1.join();
    t2.join();
    EXPECT_EQ(r1, expected);
    EXPECT_EQ(r2, expected);
}

TEST(FractionCache, HoldsOnlyTheSameSetGenerationAndFractionBits) {
    LWItemInfo info = MovingItemInfo();
    MotionSamples a, b;
    a.SetUp(&info, nullptr, 0.0, 1.0, 2);
    b.SetUp(&info, nullptr, 0.0, 1.0, 2);
    FractionCache<float> c;
    EXPECT_FALSE(c.Holds(a, 0.0)) << "an empty cache holds nothing, not even fraction 0";
    c.value = 1.5f;
    c.Mark(a, 0.25);
    EXPECT_TRUE(c.Holds(a, 0.25));
    EXPECT_FALSE(c.Holds(b, 0.25)) << "another set with equal samples";
    EXPECT_FALSE(c.Holds(a, std::nextafter(0.25, 1.0)));
    c.Mark(a, 0.0);
    EXPECT_FALSE(c.Holds(a, -0.0)) << "fractions are compared bit for bit";
    const double nan = std::numeric_limits<double>::quiet_NaN();
    c.Mark(a, nan);
    EXPECT_TRUE(c.Holds(a, nan)) << "a repeated not-a-number fraction is still a repeat";
    a.SetUp(&info, nullptr, 1.0, 1.0, 2);
    EXPECT_FALSE(c.Holds(a, nan)) << "rebuilt samples";
    c.Mark(a, 0.5);
    a.CleanUp();
    EXPECT_FALSE(c.Holds(a, 0.5)) << "cleaned-up samples";
}

// The evaluate path's pose: repeats, interleaved sets and rebuilt samples
// give exactly the interpolated pose whether it comes from the cache or not.
TEST(PoseCache, EvaluatePathPoseMatchesTheInterpolationThroughRepeats) {
    LWItemInfo info = MovingItemInfo();
    MotionSamples a, b;
    a.SetUp(&info, nullptr, 0.0, 1.0, 2);
    b.SetUp(&info, nullptr, 3.0, 1.0, 5);
    const double fracs[] = {0.3, 0.3, 0.3, 0.3, 0.9, 0.3, 0.9, 0.9, 0.9, 1.5, 1.5, -1.0};
    auto same = [](const Pose &p, const Pose &q) { return std::memcmp(&p, &q, sizeof p) == 0; };
    for (int round = 0; round < 2; ++round) {
        for (double f : fracs) {
            Pose scratchA, scratchB;
            const Pose &pa = PoseForFraction(a, f, nullptr, scratchA);
            EXPECT_TRUE(same(pa, a.Interpolate(f))) << round << " " << f;
            const Pose &pb = PoseForFraction(b, f, nullptr, scratchB);
            EXPECT_TRUE(same(pb, b.Interpolate(f))) << round << " " << f;
            EXPECT_FALSE(same(pa, pb));
        }
        a.SetUp(&info, nullptr, 7.0, 2.0, 3); // the cached poses of the old samples must not come back
    }
    LWCameraAccess access{};
    access.worldPos[1] = 4;
    access.toWorld[2][2] = 1;
    MotionSamples none;
    Pose scratch;
    EXPECT_EQ(PoseForFraction(none, 0.3, &access, scratch).position.y, 4);
    EXPECT_EQ(PoseForFraction(none, 0.3, nullptr, scratch).right.x, 1) << "no access record: the unit axes";
}
