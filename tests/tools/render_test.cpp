// The renderer on its own: the same image for any thread count, the samples
// it asks for, what it does with missing rays and colour filters, and the
// world it traces.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/render.h"

namespace lentara::tool {
namespace {

// A thin-lens pinhole at the origin looking down +Z that uses every sample
// dimension, so any change in the samples shows in the image. Film points
// left of `noRayBelowX` get no ray.
class TestCamera : public RaySource {
public:
    double noRayBelowX = -1e9;
    bool swapRedBlue = false;
    bool Ray(double fx, double fy, double lx, double ly, double fraction, CameraRay *ray) const override {
        if (fx < noRayBelowX) return false;
        ray->origin = {lx * 0.2 + fraction * 0.5, 1.0 + ly * 0.2, 0};
        ray->direction = {fx / 0.03, fy / 0.03, 1.0};
        if (swapRedBlue) {
            for (auto &row : ray->filter)
                for (double &v : row) v = 0;
            ray->filter[0][2] = ray->filter[1][1] = ray->filter[2][0] = 1;
        }
        return true;
    }
    double FilmWidth() const override { return 0.036; }
    double FilmHeight() const override { return 0.024; }
};

World TestWorld() {
    World w;
    FrameObject moving;
    moving.shape.kind = ShapeKind::Sphere;
    moving.shape.radius = 1.0;
    moving.shape.material.colour = {0.9f, 0.1f, 0.1f};
    moving.placements = {{{-1, 1, 8}}, {{1, 1, 8}}};
    w.objects.push_back(moving);
    FrameObject box;
    box.shape.kind = ShapeKind::Box;
    box.shape.size = {1, 1, 1};
    box.shape.material.colour = {0.1f, 0.1f, 0.9f};
    box.placements = {{{2.5, 0.5, 6}}};
    w.objects.push_back(box);
    return w;
}

TEST(Renderer, ImageIsTheSameForAnyThreadCount) {
    const World world = TestWorld();
    TestCamera camera;
    RenderOptions o;
    o.width = 37; // not a multiple of anything in particular
    o.height = 23;
    o.samples = 5;
    o.seed = 7;
    o.threads = 1;
    RenderStats stats;
    const Image one = Render(world, camera, o, &stats);
    EXPECT_EQ(stats.rays, 37u * 23u * 5u);
    for (int threads : {2, 3, 8}) {
        o.threads = threads;
        const Image many = Render(world, camera, o, &stats);
        EXPECT_EQ(stats.threads, threads);
        ASSERT_EQ(many.pixels.size(), one.pixels.size());
        for (std::size_t i = 0; i < one.pixels.size(); ++i) {
            ASSERT_EQ(many.pixels[i].r, one.pixels[i].r) << "pixel " << i << " with " << threads << " threads";
            ASSERT_EQ(many.pixels[i].g, one.pixels[i].g);
            ASSERT_EQ(many.pixels[i].b, one.pixels[i].b);
        }
    }
    // another seed (frame) gives other samples
    o.seed = 8;
    const Image other = Render(world, camera, o);
    int differing = 0;
    for (std::size_t i = 0; i < one.pixels.size(); ++i) differing += other.pixels[i].r != one.pixels[i].r;
    EXPECT_GT(differing, 0);
}

TEST(Renderer, SamplesCoverPixelLensAndExposure) {
    const int n = 64;
    double minF = 1, maxF = 0, sumLens = 0;
    for (int s = 0; s < n; ++s) {
        const PixelSample p = SampleFor(3, 4, s, n, 0);
        EXPECT_GE(p.u, 0.0);
        EXPECT_LT(p.u, 1.0);
        EXPECT_GE(p.v, 0.0);
        EXPECT_LT(p.v, 1.0);
        EXPECT_LE(p.lensX * p.lensX + p.lensY * p.lensY, 1.0 + 1e-12);
        minF = std::min(minF, p.fraction);
        maxF = std::max(maxF, p.fraction);
        sumLens += std::hypot(p.lensX, p.lensY);
        // the same sample every time
        const PixelSample q = SampleFor(3, 4, s, n, 0);
        EXPECT_EQ(p.fraction, q.fraction);
        EXPECT_EQ(p.lensX, q.lensX);
    }
    EXPECT_LT(minF, 1.0 / n + 1e-9); // stratified: the first and last strata are used
    EXPECT_GT(maxF, 1.0 - 1.0 / n - 1e-9);
    EXPECT_GT(sumLens / n, 0.4); // spread over the disk, not at its centre
    // one sample is the pixel centre, lens centre, mid-exposure
    const PixelSample c = SampleFor(0, 0, 0, 1, 0);
    EXPECT_EQ(c.u, 0.5);
    EXPECT_EQ(c.lensX, 0.0);
    EXPECT_EQ(c.fraction, 0.5);
}

TEST(Renderer, MissingRaysTakeTheNoRayColourAndFiltersApply) {
    const World world = TestWorld();
    TestCamera camera;
    camera.noRayBelowX = 0.0;
    RenderOptions o;
    o.width = 20;
    o.height = 10;
    o.samples = 1;
    o.noRay = {0.0f, 1.0f, 0.0f};
    RenderStats stats;
    const Image image = Render(world, camera, o, &stats);
    EXPECT_EQ(stats.noRays, 10u * 10u);
    EXPECT_EQ(image.at(2, 5).g, 1.0f);
    EXPECT_EQ(image.at(2, 5).r, 0.0f);
    EXPECT_NE(image.at(17, 5).r, 0.0f); // sky on the right half

    camera.noRayBelowX = -1e9;
    const Image plain = Render(world, camera, o);
    camera.swapRedBlue = true;
    const Image swapped = Render(world, camera, o);
    for (std::size_t i = 0; i < plain.pixels.size(); ++i) {
        EXPECT_FLOAT_EQ(swapped.pixels[i].r, plain.pixels[i].b);
        EXPECT_FLOAT_EQ(swapped.pixels[i].b, plain.pixels[i].r);
    }
}

TEST(World, ObjectsSkyGroundAndMotion) {
    const World world = TestWorld();
    // towards the sphere's centre at the exposure middle: the red sphere
    const Rgb sphere = world.Trace({0, 1, 0}, {0, 0, 1}, 0.5);
    EXPECT_GT(sphere.r, sphere.b);
    // at the start the sphere sits left of the axis: the ray passes its edge
    const Rgb start = world.Trace({1.2, 1, 0}, {0, 0, 1}, 0.0);
    const Rgb end = world.Trace({1.2, 1, 0}, {0, 0, 1}, 1.0);
    EXPECT_GT(end.r, end.b);
    EXPECT_LE(start.r, start.b + 0.3f);
    // the box
    const Rgb box = world.Trace({2.5, 0.5, 0}, {0, 0, 1}, 0.0);
    EXPECT_GT(box.b, box.r);
    // straight up: sky, brighter towards the horizon colour sideways
    const Rgb up = world.Trace({0, 1, 0}, {0, 1, 0}, 0.0);
    EXPECT_NEAR(up.b, world.environment.zenith.b, 0.05);
    // down: the checkered ground, with two colours a metre apart
    const Rgb a = world.Trace({0.5, 1, 0.5}, {0, -1, 0}, 0.0);
    const Rgb b = world.Trace({1.5, 1, 0.5}, {0, -1, 0}, 0.0);
    EXPECT_NE(a.r, b.r);
    // rays that cannot be traced give black, never NaN
    const Rgb bad = world.Trace({0, 0, 0}, {NAN, 0, 1}, 0.0);
    EXPECT_EQ(bad.r, 0.0f);
    const Rgb zero = world.Trace({0, 0, 0}, {0, 0, 0}, 0.0);
    EXPECT_EQ(zero.g, 0.0f);
}

TEST(World, PlacementsInterpolateOverTheExposure) {
    FrameObject o;
    o.placements = {{{0, 0, 0}}, {{2, 0, 0}}, {{2, 4, 0}}};
    EXPECT_DOUBLE_EQ(o.At(0.25).position.x, 1.0);
    EXPECT_DOUBLE_EQ(o.At(0.75).position.y, 2.0);
    EXPECT_DOUBLE_EQ(o.At(-1).position.x, 0.0);
    EXPECT_DOUBLE_EQ(o.At(2).position.y, 4.0);
    EXPECT_DOUBLE_EQ(o.At(NAN).position.x, 0.0);
}

} // namespace
} // namespace lentara::tool
