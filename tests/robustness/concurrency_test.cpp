// Evaluate called from several threads on one instance gives, ray for ray and
// bit for bit, what one thread gives: every camera type of the listed modules,
// the composites showing the scene's other cameras.
#include "tests/robustness/robustness.h"

#include <cstring>
#include <thread>

namespace {

using robustness::AllTypes;
using robustness::CameraType;
using robustness::Ray;

struct Sample {
    double fx, fy, lx, ly, frac;
};

// Film points over the film and just past it, two lens points, three fractions.
std::vector<Sample> Samples(double w, double h) {
    std::vector<Sample> out;
    for (int k = 0; k < 6; ++k)
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 7; ++i)
                out.push_back({(i / 6.0 - 0.5) * 1.1 * w, (j / 4.0 - 0.5) * 1.1 * h, k % 2 ? 0.5 : 0.0,
                               k % 2 ? -0.4 : 0.0, (k / 2) * 0.5});
    return out;
}

Ray Evaluate(const standin::CameraInstance &cam, const Sample &s) {
    LWCameraRay ray{};
    Ray r;
    r.code = cam.evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &ray);
    std::memcpy(r.v, &ray.rayPos[0], sizeof r.v);
    return r;
}

class ConcurrentEvaluation : public robustness::RobustnessTest {};

TEST_P(ConcurrentEvaluation, ThreadsGiveTheRaysOfOneThread) {
    const CameraType &t = GetParam();
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok()) << cam->error();
    robustness::PickEveryCamera(*host, *cam);
    ASSERT_EQ(cam->initRender(LWINIT_RENDER), "");
    ASSERT_EQ(cam->newTime(6, 0.25), "");
    ASSERT_EQ(cam->newFrame(6), "");
    const std::vector<Sample> samples = Samples(cam->access().filmSize[0], cam->access().filmSize[1]);

    std::vector<Ray> single;
    int rays = 0;
    for (const Sample &s : samples) {
        single.push_back(Evaluate(*cam, s));
        rays += single.back().code == LWCAMTYPEEVAL_RAY;
    }
    ASSERT_GT(rays, 0) << "no ray to compare";

    // Each thread walks every sample several times, from its own starting
    // point, every other thread backwards.
    const int kThreads = 4;
    const std::size_t n = samples.size();
    std::vector<std::vector<Ray>> results(kThreads, std::vector<Ray>(n));
    std::vector<std::thread> threads;
    for (int th = 0; th < kThreads; ++th)
        threads.emplace_back([&, th] {
            for (int pass = 0; pass < 3; ++pass)
                for (std::size_t k = 0; k < n; ++k) {
                    const std::size_t step = th % 2 ? n - 1 - k : k;
                    const std::size_t i = (step + th * n / kThreads + pass * 17) % n;
                    results[th][i] = Evaluate(*cam, samples[i]);
                }
        });
    for (std::thread &th : threads) th.join();
    int mismatches = 0;
    for (const std::vector<Ray> &got : results)
        for (std::size_t i = 0; i < n; ++i)
            mismatches += got[i].code != single[i].code || std::memcmp(got[i].v, single[i].v, sizeof got[i].v) != 0;
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ConcurrentEvaluation, ::testing::ValuesIn(AllTypes()), robustness::TypeName);

}  // namespace
