// Camera types side by side through the built module in the stand-in host:
// scene blocks, rays before any frame, extreme lens settings and concurrent
// evaluation compared across the lens and projection types.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

TEST_F(Cameras, SceneBlocksRoundTripInTextAndBinary) {
    struct Case {
        const char *server;
        std::vector<std::pair<unsigned int, double>> envs; // panel id, value
        std::vector<std::pair<unsigned int, int>> settings;
    } cases[] = {
        {"VantorFisheyeCam", {{0x8001, 0.625}, {0x8002, 2.5}}, {{0x800a, 0}, {0x8008, 1}, {0x8009, 0}, {0x800b, 0}}},
        {"VantorStereoCam",
         {{0x8004, 0.125}, {0x8005, 7.5}, {0x8006, 1.5}, {0x8007, 0.75}},
         {{0x8002, 2}, {0x8003, 1}}},
        {"VantorSkyboxCam", {}, {{0x8006, 1}}},
    };
    for (const Case &c : cases)
        for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
            auto from = Make(c.server);
            const LWXPanelID pFrom = Panel(*from);
            for (const auto &e : c.envs)
                host.envelopes().setValue(Env(pFrom, e.first), e.second);
            for (const auto &s : c.settings)
                Set(pFrom, s.first, s.second);
            MemorySaveState out(mode);
            ASSERT_EQ(from->save(out), "");

            auto to = Make(c.server);
            MemoryLoadState in(out);
            ASSERT_EQ(to->load(in), "");
            EXPECT_TRUE(in.atEnd()) << c.server;
            const LWXPanelID pTo = Panel(*to);
            for (const auto &e : c.envs)
                EXPECT_EQ(host.envelopes().value(Env(pTo, e.first), 0.0), e.second) << c.server;
            for (const auto &s : c.settings)
                EXPECT_EQ(*Setting(pTo, s.first), s.second) << c.server << " " << s.first;
            MemorySaveState again(mode);
            ASSERT_EQ(to->save(again), "");
            EXPECT_EQ(again.bytes(), out.bytes()) << c.server;
        }
}

TEST_F(Cameras, SceneBlockOrderAndStereoReservedWords) {
    auto fish = Make("VantorFisheyeCam");
    MemorySaveState f(LWIO_ASCII);
    ASSERT_EQ(fish->save(f), "");
    std::vector<std::string> lines = f.lines();
    ASSERT_GE(lines.size(), 4u);
    // power and scale envelopes, then auto 1, preview 0, grid 1, parallel 1
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()), (std::vector<std::string>{"1", "0", "1", "1"}));

    auto sky = Make("VantorSkyboxCam");
    MemorySaveState s(LWIO_BINARY);
    ASSERT_EQ(sky->save(s), "");
    EXPECT_EQ(s.bytes(), std::string(4, '\0'));

    auto stereo = Make("VantorStereoCam");
    const LWXPanelID panel = Panel(*stereo);
    Set(panel, 0x8002, 3);
    MemorySaveState st(LWIO_ASCII);
    ASSERT_EQ(stereo->save(st), "");
    lines = st.lines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              (std::vector<std::string>{"3", "0", "0", "0", "0"}));
    // Reserved words that hold something are read and dropped.
    std::string text = st.bytes();
    text.replace(text.size() - 6, 6, "7\n8\n9\n");
    MemoryLoadState in(text, LWIO_ASCII);
    auto other = Make("VantorStereoCam");
    ASSERT_EQ(other->load(in), "");
    EXPECT_TRUE(in.atEnd());
    MemorySaveState again(LWIO_ASCII);
    ASSERT_EQ(other->save(again), "");
    EXPECT_EQ(again.bytes(), st.bytes());
}

TEST_F(Cameras, ConcurrentEvaluationMatchesSingleThreaded) {
    // A moving, turning camera sampled at several motion steps, and a moving
    // convergence object.
    host.scene().setMotionKeys(cam, Motion::X, {{0.0, 0.0}, {1.0, 3.0}});
    host.scene().setMotionKeys(cam, Motion::Heading, {{0.0, 0.0}, {1.0, 1.2}});
    const LWItemID ball = host.scene().addObject("Ball");
    host.scene().setMotionKeys(ball, Motion::Z, {{0.0, 3.0}, {1.0, 9.0}});
    host.render().motionSteps = 5;
    host.render().shutter = 1.0;
    host.scene().setCamera(cam, CamProp::Separation, 0.3);
    for (const char *server : {"VantorFisheyeCam", "VantorStereoCam"}) {
        auto ci = Make(server);
        const LWXPanelID panel = Panel(*ci);
        if (std::string(server) == "VantorStereoCam") {
            Set(panel, 0x8002, 1);
            host.envelopes().setValue(Env(panel, 0x8005), 100.0);
        }
        ASSERT_EQ(ci->newTime(3, 0.1), "");
        ASSERT_EQ(ci->newFrame(3), "");
        const double W = ci->access().filmSize[0], H = ci->access().filmSize[1];
        struct Sample {
            double fx, fy, lx, ly, frac;
        };
        std::vector<Sample> samples;
        for (int i = 0; i < 400; ++i)
            samples.push_back({W * ((i * 37 % 101) / 100.0 - 0.5), H * ((i * 53 % 97) / 96.0 - 0.5),
                               (i % 7) / 3.5 - 1.0, (i % 5) / 2.5 - 1.0, (i % 11) / 10.0});
        std::vector<LWCameraRay> single(samples.size());
        std::vector<int> results(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const Sample &s = samples[i];
            results[i] = ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &single[i]);
        }
        std::vector<std::thread> threads;
        std::vector<int> mismatches(4, 0);
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int pass = 0; pass < 5; ++pass)
                    for (std::size_t k = 0; k < samples.size(); ++k) {
                        const std::size_t i = (k * (t + 1) + pass * 13) % samples.size();
                        const Sample &s = samples[i];
                        LWCameraRay r{};
                        const int rc = ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &r);
                        if (rc != results[i] || (rc == 1 && !SameRay(r, single[i])))
                            ++mismatches[t];
                    }
            });
        for (std::thread &t : threads)
            t.join();
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(mismatches[t], 0) << server << " thread " << t;
        int rays = 0;
        for (int rc : results)
            rays += rc;
        EXPECT_GT(rays, 100) << server;
    }
}

// Before any frame (and after a copy) there is no stored film: the cameras
// take film and pose from the access record of the call, as every other
// single-view camera does.
TEST_F(Cameras, EvaluateBeforeAnyFrameUsesTheAccessRecordOfTheCall) {
    LWCameraAccess access{};
    access.worldPos[1] = 5;
    access.toWorld[0][0] = -1; // turned around: right is -X, forward -Z
    access.toWorld[1][1] = 1;
    access.toWorld[2][2] = -1;
    access.filmSize[0] = 0.036;
    access.filmSize[1] = 0.024;
    for (const char *server : {"VantorFisheyeCam", "VantorStereoCam"}) {
        SCOPED_TRACE(server);
        auto ci = Make(server);
        // The centre of the fisheye, and of the left eye's half.
        const double x = std::string(server) == "VantorStereoCam" ? -0.009 : 0.0;
        LWCameraRay r{};
        ASSERT_EQ(ci->handler().evaluate(ci->instance(), x, 0, 0, 0, 0.3, &r, &access), 1);
        EXPECT_EQ(r.rayPos[1], 5);
        ExpectNear((1.0 / Length(FromArray(r.rayDir))) * FromArray(r.rayDir), {0, 0, -1}, 1e-12);

        ASSERT_EQ(ci->newTime(0, 0.0), "");
        ASSERT_EQ(ci->newFrame(0), "");
        auto copy = Make(server);
        ASSERT_EQ(copy->copyFrom(*ci), "");
        LWCameraRay c{};
        ASSERT_EQ(copy->handler().evaluate(copy->instance(), x, 0, 0, 0, 0.3, &c, &access), 1);
        EXPECT_EQ(c.rayPos[1], 5);
        ExpectNear((1.0 / Length(FromArray(c.rayDir))) * FromArray(c.rayDir), {0, 0, -1}, 1e-12);
    }
}

// Extreme but finite host lens settings: an f-stop so small that, with a
// long zoom, the lens radius overflows (the lens factor itself is finite),
// and a focus so far that the way to it overflows when squared. Every ray of
// the frame is then the one of the matching pinhole setting (f-stop 0, or
// focus 0), unit length, instead of no ray at all.
TEST_F(Cameras, ExtremeFStopAndFocusStillGiveEveryRay) {
    struct Setting {
        const char *what;
        CamProp prop;
        double value, pinhole;
    } settings[] = {{"f-stop 1e-307", CamProp::FStop, 1e-307, 0.0},
                    {"focus 1e155", CamProp::FocalDistance, 1e155, 0.0}};
    host.scene().setCamera(cam, CamProp::ZoomFactor, 3200.0);
    for (const char *server : {"VantorFisheyeCam", "VantorStereoCam"})
        for (const Setting &s : settings) {
            SCOPED_TRACE(std::string(server) + " " + s.what);
            host.scene().setCamera(cam, CamProp::FStop, 2.0);
            host.scene().setCamera(cam, CamProp::FocalDistance, 6.0);
            auto ci = Make(server);
            ASSERT_EQ(ci->newTime(0, 0.0), "");
            for (double x : {-0.011, 0.0, 0.007})
                for (double y : {-0.005, 0.0003})
                    for (double a : {0.0, 0.6}) {
                        host.scene().setCamera(cam, s.prop, s.pinhole);
                        ASSERT_EQ(ci->newFrame(0), "");
                        LWCameraRay want{};
                        ASSERT_EQ(ci->evaluate(x, y, a, -0.5 * a, 0.25, &want), 1);
                        host.scene().setCamera(cam, s.prop, s.value);
                        ASSERT_EQ(ci->newFrame(0), "");
                        LWCameraRay got{};
                        ASSERT_EQ(ci->evaluate(x, y, a, -0.5 * a, 0.25, &got), 1) << x << " " << y << " " << a;
                        EXPECT_NEAR(Length(FromArray(got.rayDir)), 1.0, 1e-15);
                        EXPECT_TRUE(SameRay(got, want)) << x << " " << y << " " << a;
                    }
        }
}

TEST_F(ProjectionCameras, ConcurrentEvaluationMatchesSingleThreaded) {
    host.scene().setMotionKeys(cam, Motion::Z, {{0.0, 0.0}, {1.0, 12.0}});
    host.scene().setMotionKeys(cam, Motion::Bank, {{0.0, 0.0}, {1.0, 0.8}});
    host.render().motionSteps = 7;
    for (const char *server : {"VantorPerspectiveCam", "VantorPerspectiveNoDOFCam", "VantorPerspectiveNoDOFNoMBCam",
                               "VantorAdvPanCam", "VantorCylinderCam"}) {
        auto ci = Make(server);
        ASSERT_EQ(ci->newTime(5, 5 / 30.0), "");
        ASSERT_EQ(ci->newFrame(5), "");
        struct Sample {
            double fx, fy, lx, ly, frac;
        };
        std::vector<Sample> samples;
        for (int i = 0; i < 400; ++i)
            samples.push_back({(i % 20 - 9.5) * 0.0018, (i / 20 - 9.5) * 0.0012, std::sin(i * 1.7),
                               std::cos(i * 2.3), (i % 7) / 6.0});
        std::vector<LWCameraRay> single(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const Sample &s = samples[i];
            ASSERT_EQ(ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &single[i]), 1);
        }
        const int kThreads = 4;
        std::vector<std::vector<LWCameraRay>> results(kThreads, std::vector<LWCameraRay>(samples.size()));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int pass = 0; pass < 5; ++pass)
                    for (std::size_t k = 0; k < samples.size(); ++k) {
                        const std::size_t i = (k * (2 * t + 1) + pass * 37) % samples.size();
                        const Sample &s = samples[i];
                        ci->evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &results[t][i]);
                    }
            });
        for (std::thread &th : threads) th.join();
        int mismatches = 0;
        for (int t = 0; t < kThreads; ++t)
            for (std::size_t i = 0; i < samples.size(); ++i) mismatches += !SameRay(results[t][i], single[i]);
        EXPECT_EQ(mismatches, 0) << server;
    }
}
