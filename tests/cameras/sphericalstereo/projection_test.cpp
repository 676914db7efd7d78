// The Spherical Stereo projection on its own: the eyes' circle, the merge
// toward the poles, convergence and the layouts' eye images.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cameras/panoramic/projection.h"
#include "cameras/sphericalstereo/projection.h"

using namespace lentara;
using namespace SphericalStereoCam;

namespace {
const double W = 0.036, H = 0.018;
// A camera turned by heading 0.7 and pitch -0.3, away from the origin.
const Pose kPose = [] {
    const double ch = std::cos(0.7), sh = std::sin(0.7), cp = std::cos(-0.3), sp = std::sin(-0.3);
    return Pose{{1.0, 2.0, -3.0}, {ch, 0.0, -sh}, {sh * sp, cp, ch * sp}, {sh * cp, -sp, ch * cp}};
}();

SphericalStereoParams Params(EyeLayout layout, double convergence = 0.0) {
    return {2 * kPi, kPi, 0.065, kPi / 3, 5 * kPi / 12, convergence, layout};
}
bool IsRay(const SphericalStereoRay &r) { return IsFinite(r.origin) && IsFinite(r.direction); }
SphericalStereoRay Ray(const SphericalStereoParams &p, double x, double y) {
    const SphericalStereoRay r = Evaluate(p, kPose, W, H, x, y);
    EXPECT_TRUE(IsRay(r)) << x << ", " << y;
    return r;
}
double Length(Vec3 v) { return std::sqrt(Dot(v, v)); }
// Distance of point q from the ray's line, and how far along the ray it is.
double OffRay(const SphericalStereoRay &r, Vec3 q, double &along) {
    const Vec3 w = q - r.origin;
    along = Dot(w, r.direction);
    return Length(w - along * r.direction);
}
// Film y of elevation e in the left eye's image of the over-under layout.
double TopEyeY(double e) { return 0.25 * H + (e / (kPi / 2)) * 0.25 * H; }
} // namespace

TEST(SphericalStereoProjection, PoleMergeKeepsTheEyesApartThenBlendsThemTogether) {
    const double from = 1.0, to = 1.5;
    EXPECT_EQ(PoleMerge(0.0, from, to), 1.0);
    EXPECT_EQ(PoleMerge(-from, from, to), 1.0);
    EXPECT_NEAR(PoleMerge(1.25, from, to), 0.5, 1e-15);
    EXPECT_NEAR(PoleMerge(-1.1, from, to), 0.5 + 0.5 * std::cos(kPi * 0.2), 1e-15);
    EXPECT_EQ(PoleMerge(to, from, to), 0.0);
    EXPECT_EQ(PoleMerge(-2.0, from, to), 0.0);
    // To at or below From: a step at From.
    for (double t : {from, 0.5}) {
        EXPECT_EQ(PoleMerge(0.999, from, t), 1.0);
        EXPECT_EQ(PoleMerge(from, from, t), 0.0);
    }
}

// The eyes of one pixel stand on a circle of radius |s| in the horizontal
// plane, sideways to the view: EyeSeparation apart at the horizon, together
// from PoleMergeTo on, and the left eye to the viewer's left.
TEST(SphericalStereoProjection, EyesStandOnTheCircleAndMergeTowardThePoles) {
    const SphericalStereoParams p = Params(EyeLayout::OverUnder);
    for (double x : {-0.018, -0.011, 0.0, 0.004, 0.0179})
        for (double e : {0.0, 0.4, -1.2, 1.2, 5 * kPi / 12, -1.4, 1.5}) {
            const SphericalStereoRay L = Ray(p, x, TopEyeY(e)), R = Ray(p, x, TopEyeY(e) - 0.5 * H);
            const double s = 0.5 * p.eyeSeparation * PoleMerge(e, p.poleMergeFrom, p.poleMergeTo);
            for (const SphericalStereoRay *r : {&L, &R}) {
                const Vec3 off = r->origin - kPose.position;
                EXPECT_NEAR(Length(off), s, 1e-12);
                EXPECT_NEAR(Dot(off, kPose.up), 0.0, 1e-12);
                EXPECT_NEAR(Dot(off, r->direction), 0.0, 1e-12); // sideways to the view
            }
            EXPECT_NEAR(Length(R.origin - L.origin), 2 * s, 1e-12);
            if (e == 0.0) {
                EXPECT_NEAR(Length(R.origin - L.origin), p.eyeSeparation, 1e-12);
            }
            if (std::fabs(e) >= p.poleMergeTo - 1e-12) {
                EXPECT_NEAR(Length(R.origin - L.origin), 0.0, 1e-15);
            }
            // left eye to the left: (view x up) points left in this left-handed frame
            const Vec3 d = L.direction, u = kPose.up;
            const Vec3 leftward = {d.y * u.z - d.z * u.y, d.z * u.x - d.x * u.z, d.x * u.y - d.y * u.x};
            if (s > 0.0) {
                EXPECT_GT(Dot(L.origin - R.origin, leftward), 0.0);
            }
        }
}

// Without convergence both eyes look along the Panoramic camera's direction
// for the same angles; with convergence C their rays meet at P + C d.
TEST(SphericalStereoProjection, EyesLookLikeThePanoramaAndMeetAtTheConvergenceDistance) {
    const PanoramicCam::PanoramaParams pano = {2 * kPi, kPi / 2, -kPi / 2};
    for (double C : {0.0, -1.0, std::numeric_limits<double>::infinity(), 0.5, 4.0, 1e-300, 1e300})
        for (double x : {-0.017, 0.0, 0.009})
            for (double y : {-0.008, -0.001, 0.0035, 0.0089}) {
                const SphericalStereoParams pl = Params(EyeLayout::LeftOnly, C), pr = Params(EyeLayout::RightOnly, C);
                const SphericalStereoRay L = Ray(pl, x, y), R = Ray(pr, x, y);
                const Vec3 d = WorldDirectionNormalised(kPose, PanoramicCam::CameraDirection(pano, x, y, W, H));
                if (!(C > 0.0 && std::isfinite(C))) {
                    EXPECT_NEAR(Length(L.direction - d), 0.0, 1e-14);
                    EXPECT_NEAR(Length(R.direction - d), 0.0, 1e-14);
                    continue;
                }
                EXPECT_NEAR(Dot(L.direction, L.direction), 1.0, 1e-14);
                if (C < 1e-200 || C > 1e200) continue; // only the directions are representable
                const Vec3 q = kPose.position + C * d;
                double along = 0.0;
                EXPECT_NEAR(OffRay(L, q, along), 0.0, 1e-12 * C);
                EXPECT_GT(along, 0.0);
                EXPECT_NEAR(OffRay(R, q, along), 0.0, 1e-12 * C);
                EXPECT_GT(along, 0.0);
            }
}

// Each layout's halves and their boundaries: which eye a film point belongs
// to, and where each eye image's centre is (it looks along F).
TEST(SphericalStereoProjection, LayoutsSplitTheFilmIntoEyeImages) {
    struct Case {
        EyeLayout layout;
        double x, y;
        double eye; // -1 left, +1 right
        bool centre;
    };
    const Case cases[] = {
        {EyeLayout::OverUnder, 0.0, 0.25 * H, -1, true},   {EyeLayout::OverUnder, 0.0, -0.25 * H, 1, true},
        {EyeLayout::OverUnder, 0.0, 1e-9, -1, false},      {EyeLayout::OverUnder, 0.0, 0.0, 1, false},
        {EyeLayout::SideBySide, -0.25 * W, 0.0, -1, true}, {EyeLayout::SideBySide, 0.25 * W, 0.0, 1, true},
        {EyeLayout::SideBySide, -1e-9, 0.0, -1, false},    {EyeLayout::SideBySide, 0.0, 0.0, 1, false},
        {EyeLayout::LeftOnly, 0.0, 0.0, -1, true},         {EyeLayout::RightOnly, 0.0, 0.0, 1, true},
    };
    for (const Case &c : cases) {
        // no merge toward the poles, so each eye sits a full half separation
        // to the side of its view, also at the images' edges
        SphericalStereoParams p = Params(c.layout);
        p.verticalFov = kPi / 2;
        p.poleMergeFrom = p.poleMergeTo = 10.0;
        const SphericalStereoRay r = Ray(p, c.x, c.y);
        const double dr = Dot(r.direction, kPose.right), df = Dot(r.direction, kPose.forward);
        const Vec3 rightward = (1.0 / std::hypot(dr, df)) * (df * kPose.right - dr * kPose.forward);
        EXPECT_NEAR(Dot(r.origin - kPose.position, rightward), c.eye * 0.0325, 1e-12) << int(c.layout) << " " << c.x
                                                                                       << " " << c.y;
        if (c.centre) {
            EXPECT_NEAR(Length(r.direction - kPose.forward), 0.0, 1e-14) << int(c.layout);
        }
    }
    // Over-under: each eye spans the full vertical field over half the film.
    EXPECT_NEAR(Length(Ray(Params(EyeLayout::OverUnder), 0.0, 0.5 * H).direction - kPose.up), 0.0, 1e-14);
    EXPECT_NEAR(Length(Ray(Params(EyeLayout::OverUnder), 0.0, 1e-12).direction + kPose.up), 0.0, 1e-9);
    // Side by side: each eye's image edge looks backward.
    EXPECT_NEAR(Length(Ray(Params(EyeLayout::SideBySide), -1e-12, 0.0).direction + kPose.forward), 0.0, 1e-9);
}

TEST(SphericalStereoProjection, NonFiniteParametersGiveNoFiniteRay) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf}) {
        for (int k = 0; k < 4; ++k) {
            SphericalStereoParams p = Params(EyeLayout::OverUnder, 2.0);
            double *field[] = {&p.horizontalFov, &p.verticalFov, &p.eyeSeparation, &p.poleMergeFrom};
            *field[k] = v;
            // a non-finite merge bound still merges by its comparisons alone
            if (k == 3) continue;
            EXPECT_FALSE(IsRay(Evaluate(p, kPose, W, H, 0.003, 0.002))) << k << " " << v;
        }
    }
    EXPECT_FALSE(IsRay(Evaluate(Params(EyeLayout::OverUnder), kPose, 0.0, H, 0.003, 0.002)));
}
