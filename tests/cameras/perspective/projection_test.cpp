// The Perspective family's thin-lens projection on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "cameras/perspective/projection.h"

using namespace lentara;
using namespace PerspectiveCam;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

PoseF IdentityAt(float x, float y, float z) { return {{x, y, z}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}; }

// An orthonormal pose turned by heading, pitch and bank.
PoseF Rotated(double h, double p, double b, Vec3 pos) {
    const double ch = std::cos(h), sh = std::sin(h), cp = std::cos(p), sp = std::sin(p), cb = std::cos(b),
                 sb = std::sin(b);
    const Vec3 right = {ch * cb + sh * sp * sb, cp * sb, -sh * cb + ch * sp * sb};
    const Vec3 up = {-ch * sb + sh * sp * cb, cp * cb, sh * sb + ch * sp * cb};
    const Vec3 fwd = {sh * cp, -sp, ch * cp};
    return ToSingle(Pose{pos, right, up, fwd});
}

Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameBits(Vec3 a, Vec3 b) { return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z); }

// The family's original lens step: the offset on world X and Y. Equal to the
// lens-plane offset whenever the camera is not rotated.
Ray WorldXYLensRay(const PoseF &pose, const LensParams &lens, double fx, double fy, double lx, double ly) {
    const Vec3f &P = pose.position, &R = pose.right, &U = pose.up, &F = pose.forward;
    Ray ray;
    ray.filmNormal = ToDouble(F);
    const double ox = lx * lens.lensRadius, oy = ly * lens.lensRadius;
    ray.origin = {P.x + ox, P.y + oy, P.z};
    const float x = static_cast<float>(fx), y = static_cast<float>(fy), f = lens.filmDistance;
    const Vec3f V = {x * R.x + y * U.x + f * F.x, x * R.y + y * U.y + f * F.y, x * R.z + y * U.z + f * F.z};
    const float s = static_cast<float>(lens.focusDistance / std::sqrt(static_cast<double>(DotF(V, V))));
    const Vec3f Q = ScaleF(V, s);
    const Vec3f G = {static_cast<float>(Q.x - ox), static_cast<float>(Q.y - oy), Q.z};
    const float g = static_cast<float>(1.0 / std::sqrt(static_cast<double>(DotF(G, G))));
    ray.direction = ToDouble(ScaleF(G, g));
    return ray;
}

const double H0 = 0.024, Z0 = 3.2;

LensParams DefaultLens(double focus = 10.0, double fStop = 4.0) {
    const float fd = FilmDistance(Z0, H0);
    return {fd, LensRadius(fd, fStop), focus};
}

} // namespace

TEST(PerspectiveProjection, PinholeCentreLooksForwardAndEdgesHitTheZoomAngle) {
    const PoseF pose = Rotated(0.7, -0.3, 0.2, {1, 2, 3});
    const LensParams lens = DefaultLens();
    const Ray c = ThinLensRay(pose, lens, 0, 0, 0, 0);
    EXPECT_TRUE(SameBits(c.origin, ToDouble(pose.position)));
    EXPECT_NEAR(Dot(c.direction, ToDouble(pose.forward)), 1.0, 1e-6);
    EXPECT_TRUE(SameBits(c.filmNormal, ToDouble(pose.forward)));

    // The top and right film edges at H0/2 lie atan(1/Z0) off the axis.
    const Ray top = ThinLensRay(pose, lens, 0, H0 / 2, 0, 0);
    const Ray side = ThinLensRay(pose, lens, H0 / 2, 0, 0, 0);
    EXPECT_NEAR(std::acos(Dot(top.direction, ToDouble(pose.forward))), std::atan(1 / Z0), 1e-6);
    EXPECT_NEAR(std::acos(Dot(side.direction, ToDouble(pose.forward))), std::atan(1 / Z0), 1e-6);
    EXPECT_GT(Dot(top.direction, ToDouble(pose.up)), 0.0);
    EXPECT_GT(Dot(side.direction, ToDouble(pose.right)), 0.0);
}

TEST(PerspectiveProjection, MirroredFilmPointsGiveMirroredUnitRays) {
    const PoseF pose = IdentityAt(0, 0, 0);
    const LensParams lens = DefaultLens();
    for (double fx : {0.001, 0.006, 0.012, 0.018, 0.05})
        for (double fy : {-0.012, -0.004, 0.0, 0.007, 0.012}) {
            const Ray a = ThinLensRay(pose, lens, fx, fy, 0, 0);
            const Ray b = ThinLensRay(pose, lens, -fx, fy, 0, 0);
            EXPECT_EQ(a.direction.x, -b.direction.x);
            EXPECT_EQ(a.direction.y, b.direction.y);
            EXPECT_EQ(a.direction.z, b.direction.z);
            EXPECT_NEAR(Length(a.direction), 1.0, 1e-6);
        }
}

TEST(PerspectiveProjection, LensSamplesOfOneFilmPointMeetAtThePointInFocus) {
    // A camera that faces no world axis: the lens offset must stay in its lens plane.
    const PoseF pose = Rotated(0.9, 0.5, -0.4, {-2, 1, 5});
    const Vec3 P = ToDouble(pose.position), R = ToDouble(pose.right), U = ToDouble(pose.up),
               F = ToDouble(pose.forward);
    const double focus = 7.5;
    const LensParams lens = DefaultLens(focus, 1.4);
    ASSERT_GT(lens.lensRadius, 0.0f);
    for (double fx : {-0.015, 0.0, 0.009})
        for (double fy : {-0.01, 0.004}) {
            const Ray pin = ThinLensRay(pose, lens, fx, fy, 0, 0);
            const Vec3 pFocus = P + focus * pin.direction;
            for (double lx : {-1.0, -0.3, 0.5, 1.0})
                for (double ly : {-0.8, 0.0, 0.6}) {
                    const Ray r = ThinLensRay(pose, lens, fx, fy, lx, ly);
                    const Vec3 o = r.origin - P;
                    // The origin is the lens sample in the plane of R and U.
                    EXPECT_NEAR(Dot(o, F), 0.0, 1e-9);
                    EXPECT_NEAR(Dot(o, R), lx * lens.lensRadius, 1e-7);
                    EXPECT_NEAR(Dot(o, U), ly * lens.lensRadius, 1e-7);
                    // The ray passes through the point in focus.
                    const Vec3 toFocus = pFocus - r.origin;
                    EXPECT_LT(Length(Cross(toFocus, r.direction)) / Length(toFocus), 2e-6);
                    EXPECT_GT(Dot(toFocus, r.direction), 0.0);
                    EXPECT_NEAR(Length(r.direction), 1.0, 1e-6);
                }
        }
    // Opposite lens samples stay a lens diameter apart: the blur is not collapsed.
    const Ray a = ThinLensRay(pose, lens, 0, 0, -1, 0), b = ThinLensRay(pose, lens, 0, 0, 1, 0);
    EXPECT_NEAR(Length(a.origin - b.origin), 2.0 * lens.lensRadius, 1e-7);
    EXPECT_GT(std::acos(std::min(1.0, Dot(a.direction, b.direction))), 1e-4);
}

TEST(PerspectiveProjection, UnrotatedCameraKeepsTheWorldXYLensRaysBitForBit) {
    const LensParams lens = DefaultLens(6.0, 2.0);
    for (const PoseF &pose : {IdentityAt(0, 0, 0), IdentityAt(1.25f, -3.5f, 8.0f)})
        for (double fx : {-0.017, 0.0, 0.003, 0.011})
            for (double fy : {-0.012, 0.0, 0.008})
                for (double lx : {-1.0, 0.0, 0.35})
                    for (double ly : {-0.5, 0.0, 1.0}) {
                        const Ray a = ThinLensRay(pose, lens, fx, fy, lx, ly);
                        const Ray b = WorldXYLensRay(pose, lens, fx, fy, lx, ly);
                        EXPECT_TRUE(SameBits(a.origin, b.origin));
                        EXPECT_TRUE(SameBits(a.direction, b.direction)) << fx << " " << fy << " " << lx << " " << ly;
                        EXPECT_TRUE(SameBits(a.filmNormal, b.filmNormal));
                    }
}

TEST(PerspectiveProjection, FocusThatIsNotAPositiveNumberKeepsThePinholeDirection) {
    const PoseF pose = Rotated(0.3, 0.2, 0.1, {0, 0, 0});
    for (double focus : {0.0, -3.0, kNaN, kInf, -kInf}) {
        const LensParams lens = DefaultLens(focus, 2.0);
        const Ray ref = ThinLensRay(pose, {lens.filmDistance, lens.lensRadius, 1.0}, 0.004, -0.006, 0, 0);
        for (double lx : {0.0, 0.7}) {
            const Ray r = ThinLensRay(pose, lens, 0.004, -0.006, lx, -0.2);
            EXPECT_TRUE(IsFinite(r.origin) && IsFinite(r.direction)) << focus;
            EXPECT_NEAR(Dot(r.direction, ref.direction), 1.0, 1e-6) << focus;
            EXPECT_NEAR(Length(r.direction), 1.0, 1e-6);
        }
    }
}

TEST(PerspectiveProjection, LensRadiusAndFilmDistance) {
    const float fd = FilmDistance(Z0, H0);
    EXPECT_EQ(fd, static_cast<float>(Z0 * H0 * 0.5));
    EXPECT_EQ(LensRadius(fd, 4.0), static_cast<float>(static_cast<double>(fd) * 0.5 / 4.0));
    for (double fStop : {0.0, -2.0, kNaN, kInf}) EXPECT_EQ(LensRadius(fd, fStop), 0.0f) << fStop;

    // Without a lens radius every lens sample is the pinhole ray.
    const PoseF pose = Rotated(1.1, 0.0, 0.0, {3, 0, 0});
    const LensParams lens = {fd, LensRadius(fd, 0.0), 5.0};
    const Ray a = ThinLensRay(pose, lens, 0.002, 0.003, 0, 0), b = ThinLensRay(pose, lens, 0.002, 0.003, 0.9, -0.9);
    EXPECT_TRUE(SameBits(a.origin, b.origin));
    EXPECT_TRUE(SameBits(a.direction, b.direction));
}

TEST(PerspectiveProjection, ExtremeFiniteLensSettingsStillGiveRays) {
    // Settings at which a single-precision step overflows or underflows: each
    // must still give a ray for every film point and lens sample, the pinhole
    // direction (and, for the lens, the pinhole origin) where no point in
    // focus or no lens can be formed.
    const PoseF pose = Rotated(0.8, -0.4, 0.3, {2, -1, 4});
    const Vec3 R = ToDouble(pose.right), U = ToDouble(pose.up), F = ToDouble(pose.forward);
    const float fd = FilmDistance(Z0, H0);
    const double films[][2] = {{0, 0}, {0.011, -0.007}, {-H0 / 2, H0 / 2}, {0.03, 0.001}};
    const double lenses[][2] = {{0, 0}, {1, 0}, {-0.6, 0.8}, {0.25, -0.1}};
    auto expectRay = [&](const LensParams &lens, const LensParams &ref, bool sameOrigin, const char *what,
                         double value) {
        for (const auto &fp : films)
            for (const auto &lp : lenses) {
                const Ray r = ThinLensRay(pose, lens, fp[0], fp[1], lp[0], lp[1]);
                LWCameraRay out;
                ASSERT_EQ(WriteLensRay(&out, r), LWCAMTYPEEVAL_RAY) << what << " " << value;
                EXPECT_TRUE(IsFinite(r.origin) && IsFinite(r.direction)) << what << " " << value;
                EXPECT_NEAR(Length(r.direction), 1.0, 1e-6) << what << " " << value;
                // The pinhole direction, worked out here in double precision.
                const Vec3 v = static_cast<float>(fp[0]) * R + static_cast<float>(fp[1]) * U + double(fd) * F;
                EXPECT_NEAR(Dot(r.direction, v) / Length(v), 1.0, 1e-6) << what << " " << value;
                // And bit for bit the ray of the reference setting.
                const Ray e = ThinLensRay(pose, ref, fp[0], fp[1], sameOrigin ? lp[0] : 0.0, sameOrigin ? lp[1] : 0.0);
                EXPECT_TRUE(SameBits(r.origin, e.origin)) << what << " " << value;
                EXPECT_TRUE(SameBits(r.direction, e.direction)) << what << " " << value;
                EXPECT_TRUE(SameBits(r.filmNormal, e.filmNormal)) << what << " " << value;
            }
    };

    // An f-stop so small that the radius rounds to infinity: no lens, so
    // every lens sample gives the lens centre's ray.
    for (double fStop : {5e-41, 1e-45, 1e-300, std::numeric_limits<double>::denorm_min()}) {
        ASSERT_GT(double(fd) * 0.5 / fStop, double(FLT_MAX)) << fStop; // the quotient does not fit a float
        EXPECT_EQ(LensRadius(fd, fStop), 0.0f) << fStop;
        expectRay({fd, LensRadius(fd, fStop), 0.0}, {fd, 0.0f, 0.0}, false, "f-stop", fStop);
        const LensParams lens = {fd, LensRadius(fd, fStop), 10.0};
        for (const auto &fp : films) {
            const Ray centre = ThinLensRay(pose, lens, fp[0], fp[1], 0, 0);
            for (const auto &lp : lenses) {
                const Ray r = ThinLensRay(pose, lens, fp[0], fp[1], lp[0], lp[1]);
                EXPECT_TRUE(SameBits(r.origin, centre.origin) && SameBits(r.direction, centre.direction)) << fStop;
            }
        }
    }
    // A radius that fits single precision is kept, however large.
    EXPECT_EQ(LensRadius(fd, 1e-39), static_cast<float>(double(fd) * 0.5 / 1e-39));
    EXPECT_TRUE(std::isfinite(LensRadius(fd, 1e-39)));

    // A focus so far that G.G (or the focus scale itself) overflows single
    // precision, or so near that the scale rounds to 0: the lens keeps its
    // origins and every sample takes the pinhole direction, as for focus 0.
    const LensParams lensed = DefaultLens(10.0, 1.4);
    for (double focus : {1.9e19, 3e20, 1e30, 1e38, 1e300, DBL_MAX, 1e-48, 1e-100,
                         std::numeric_limits<double>::denorm_min()})
        expectRay({lensed.filmDistance, lensed.lensRadius, focus}, {lensed.filmDistance, lensed.lensRadius, 0.0},
                  true, "focus", focus);

    // A focus near enough that the lens centre's G is too short to normalise
    // in single precision: the lens centre takes the pinhole direction, which
    // is where that G points, as a unit vector.
    const LensParams pinRef = {lensed.filmDistance, lensed.lensRadius, 0.0};
    for (double focus : {5e-20, 1e-21, 1e-30, 1e-46})
        for (const auto &fp : films) {
            const Ray r = ThinLensRay(pose, {lensed.filmDistance, lensed.lensRadius, focus}, fp[0], fp[1], 0, 0);
            const Ray e = ThinLensRay(pose, pinRef, fp[0], fp[1], 0, 0);
            EXPECT_NEAR(Length(r.direction), 1.0, 1e-6) << focus;
            EXPECT_TRUE(SameBits(r.direction, e.direction)) << focus;
        }
}

TEST(PerspectiveProjection, TheFocusTestsRangeOfBitsMatchesTheRangeOfValues) {
    // SignOfInRange against the comparison it stands for, at and around the
    // bounds the ray uses, for every sign and kind of float.
    const float fi = std::numeric_limits<float>::infinity(), fn = std::numeric_limits<float>::quiet_NaN();
    const float dmin = std::numeric_limits<float>::denorm_min();
    const float values[] = {0.0f, -0.0f, dmin, -dmin, 2 * dmin, std::nextafter(FLT_MIN, 0.0f), FLT_MIN,
                            -FLT_MIN, std::nextafter(FLT_MIN, 1.0f), 1.0f, -1.0f, std::nextafter(FLT_MAX, 0.0f),
                            FLT_MAX, -FLT_MAX, fi, -fi, fn, -fn};
    const struct {
        std::uint32_t lo;
        float loValue;
    } ranges[] = {{kSmallestFloatBits, dmin}, {kSmallestNormalBits, FLT_MIN}};
    for (const auto &r : ranges)
        for (float f : values) {
            const bool inRange = f >= r.loValue && f <= FLT_MAX;
            EXPECT_EQ(SignOfInRange(f, r.lo, kLargestFloatBits) < 0, inRange) << f << " from " << r.loValue;
        }
}

TEST(PerspectiveProjection, NonFiniteInputShowsInTheRaySoItCanBeRefused) {
    const PoseF pose = IdentityAt(0, 0, 0);
    const LensParams lens = DefaultLens();
    EXPECT_FALSE(IsFinite(ThinLensRay(pose, lens, kNaN, 0, 0, 0).direction));
    EXPECT_FALSE(IsFinite(ThinLensRay(pose, lens, 0, kInf, 0, 0).direction));
    EXPECT_FALSE(IsFinite(ThinLensRay(pose, lens, 0, 0, kNaN, 0).origin));
}

// Out of line and visible outside this file, as the evaluate path calls
// them (no copy specialised for the test's constants): a pose in double
// precision rounded and traced in one function, as a RoundedPose and as a
// PoseF.
namespace perspective_test {
LENTARA_NOINLINE Ray TraceRoundedPose(const Pose &pose, const LensParams &lens, double fx, double fy) {
    return ThinLensRay(Rounded(pose), lens, fx, fy, 0.3, 0.4);
}
LENTARA_NOINLINE Ray TraceSinglePose(const Pose &pose, const LensParams &lens, double fx, double fy) {
    return ThinLensRay(ToSingle(pose), lens, fx, fy, 0.3, 0.4);
}
} // namespace perspective_test

TEST(PerspectiveProjection, APoseInDoublePrecisionIsRoundedBeforeItIsUsed) {
    // Values that single precision cannot hold: each must reach the ray as
    // its float, not as the double it came from. The expected rays come from
    // poses written as float literals, so no rounding in this test's own
    // code can be optimised away with the code under test.
    struct Case {
        Pose pose;
        PoseF single;
    };
    const Case cases[] = {
        {{{0.1, 0.2, 0.3}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
         {{0.1f, 0.2f, 0.3f}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        // Turned axes: the lens offset and the film normal come from the
        // widened floats of the right, up and forward axes.
        {{{-1.7, 2.9, 0.3}, {0.6, 0.8, 0.1}, {-0.8, 0.6, 0.3}, {0.1, -0.2, 0.7}},
         {{-1.7f, 2.9f, 0.3f}, {0.6f, 0.8f, 0.1f}, {-0.8f, 0.6f, 0.3f}, {0.1f, -0.2f, 0.7f}}},
    };
    for (const Case &c : cases)
        for (const LensParams &lens : {DefaultLens(), LensParams{0.03f, 0.0f, 10.0}, LensParams{0.03f, 0.01f, 0.0}}) {
            const Ray s = ThinLensRay(c.single, lens, 0.001, 0.002, 0.3, 0.4);
            for (const Ray &r : {perspective_test::TraceRoundedPose(c.pose, lens, 0.001, 0.002),
                                 perspective_test::TraceSinglePose(c.pose, lens, 0.001, 0.002)}) {
                EXPECT_TRUE(SameBits(r.origin, s.origin));
                EXPECT_TRUE(SameBits(r.direction, s.direction));
                EXPECT_TRUE(SameBits(r.filmNormal, s.filmNormal));
            }
        }
    // On unrotated axes the lens offset is exactly (0.3 a, 0.4 a, 0).
    const double a = DefaultLens().lensRadius;
    EXPECT_TRUE(SameBits(perspective_test::TraceSinglePose(cases[0].pose, DefaultLens(), 0.001, 0.002).origin,
                         {double(0.1f) + 0.3 * a, double(0.2f) + 0.4 * a, double(0.3f)}));
    EXPECT_TRUE(SameBits(ThinLensRay(cases[1].single, DefaultLens(), 0, 0, 0, 0).filmNormal,
                         {double(0.1f), double(-0.2f), double(0.7f)}));
}

namespace perspective_test {
LENTARA_NOINLINE RoundedPose RoundedAtOutOfLine(const MotionSamples &samples, double fraction) {
    return RoundedAt(samples, fraction);
}
} // namespace perspective_test

TEST(PerspectiveProjection, TheRoundedPoseAtAFractionIsTheInterpolationRoundedComponentByComponent) {
    // Three samples of values single precision cannot hold.
    MotionSamples samples;
    samples.sampleCount = 3;
    std::unique_ptr<double[]> *arrays[4] = {&samples.samplePositions, &samples.sampleRights, &samples.sampleUps,
                                            &samples.sampleForwards};
    for (int a = 0; a < 4; ++a) {
        *arrays[a] = std::make_unique<double[]>(9);
        for (int k = 0; k < 9; ++k) (*arrays[a])[k] = 0.1 * (a + 1) + 0.37 * k - 1.3 + 1e-9 * k * k;
    }
    for (double f : {-0.5, 0.0, 0.1, 0.25, 0.5, 0.6180339887, 0.99, 1.0, 3.0, kNaN, kInf}) {
        unsigned i;
        double w;
        InterpolationWeights(samples.sampleCount, f, i, w);
        const double v = 1.0 - w;
        // Each component rounded through memory the optimiser must keep.
        auto expected = [&](int a, int c) {
            const double *p = arrays[a]->get() + 3 * i;
            volatile float rounded = static_cast<float>(v * p[c] + w * p[c + 3]);
            return static_cast<float>(rounded);
        };
        const RoundedPose r = perspective_test::RoundedAtOutOfLine(samples, f);
        const Vec3f *floats[4] = {nullptr, &r.right, &r.up, &r.forward};
        const Vec3 *doubles[4] = {&r.wide.position, &r.wide.right, &r.wide.up, &r.wide.forward};
        for (int a = 0; a < 4; ++a) {
            const float e[3] = {expected(a, 0), expected(a, 1), expected(a, 2)};
            const double d[3] = {doubles[a]->x, doubles[a]->y, doubles[a]->z};
            for (int c = 0; c < 3; ++c) {
                EXPECT_TRUE(SameBits(d[c], static_cast<double>(e[c]))) << f << " " << a << " " << c;
                if (floats[a]) {
                    const float g[3] = {floats[a]->x, floats[a]->y, floats[a]->z};
                    EXPECT_EQ(std::memcmp(&g[c], &e[c], sizeof(float)), 0) << f << " " << a << " " << c;
                }
            }
        }
    }
}

TEST(PerspectiveProjection, HandsOverExactlyTheRaysTheFrameworkWould) {
    // WriteLensRay's single test against the framework's WriteRay, for a
    // bad value in every component and a zero direction.
    const Ray good = ThinLensRay(IdentityAt(1, 2, 3), DefaultLens(), 0.003, -0.002, 0.5, 0.1);
    const double fmax = std::numeric_limits<float>::max();
    std::vector<Ray> rays = {good};
    for (int slot = 0; slot < 9; ++slot)
        for (double bad : {kNaN, kInf, -kInf, fmax, 1e300, 0.0}) {
            if (slot >= 3 && std::fabs(bad) > fmax && std::isfinite(bad)) continue; // not a widened float
            Ray r = good;
            double *v[9] = {&r.origin.x, &r.origin.y, &r.origin.z, &r.direction.x, &r.direction.y,
                            &r.direction.z, &r.filmNormal.x, &r.filmNormal.y, &r.filmNormal.z};
            *v[slot] = bad;
            rays.push_back(r);
        }
    Ray zero = good;
    zero.direction = {0.0, -0.0, 0.0};
    rays.push_back(zero);
    Ray huge = good;
    huge.direction = {fmax, -fmax, fmax};
    huge.filmNormal = {-fmax, fmax, -fmax};
    rays.push_back(huge);

    int refused = 0;
    for (const Ray &r : rays) {
        LWCameraRay a, b;
        std::memset(&a, 0x5a, sizeof a);
        std::memset(&b, 0x5a, sizeof b);
        const int ra = WriteLensRay(&a, r);
        const int rb = WriteRay(&b, r.origin, r.direction, r.filmNormal);
        EXPECT_EQ(ra, rb);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
        refused += ra == LWCAMTYPEEVAL_NO_RAY;
    }
    EXPECT_GT(refused, 20);
}
