// The Overscan camera through the built module in the stand-in host: panel,
// resolution texts, jitter and widening, envelopes, preview and scene block.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/composite_fixture.h"

using namespace testsupport;

namespace {

TEST_F(Composite, OverscanPanelTablesAndHints) {
    CameraInstance *cam = Apply(cams[0], kOverscan);
    LWXPanelID p = Panel(cam);
    const PanelRecord *rec = host.panels().record(p);
    ASSERT_NE(rec, nullptr);
    std::vector<unsigned int> ids;
    for (const PanelControl &c : rec->controls) ids.push_back(c.cid);
    EXPECT_EQ(ids, (std::vector<unsigned int>{0x8005, 0x8001, 0x8007, 0x800a, 0x8006, 0x800b, 0x8008, 0x8009}));
    EXPECT_EQ(host.panels().control(p, 0x8006)->ctrlclass, "percent-env");
    EXPECT_EQ(host.panels().datatype(p, 0x800a), "string");
    std::vector<HintShape> want = {{XPTAG_FOCUS, {kMinus1}},
                                   {XPTAG_CTRLCFG, {0x8005, 0, 0x80000001}},
                                   {XPTAG_DRAWCBFUNC, {0x8005}},
                                   {XPTAG_POPFUNCS, {0x8007}},
                                   {XPTAG_DIVADD, {0x8001}},
                                   {XPTAG_DIVADD, {0x8007}},
                                   {XPTAG_DIVADD, {0x800b}},
                                   {XPTAG_ENABLE, {0x8007, 0, 0, 0}}};
    for (std::uintptr_t id : {0x8006u, 0x8008u, 0x8009u}) {
        want.push_back({XPTAG_SENS, {id, 1}});
        want.push_back({XPTAG_MAX, {id, 5}});
        want.push_back({XPTAG_MIN, {id, kMinus1}});
    }
    ExpectHints(Shapes(*rec), want);
    // The enveloped controls hand out the envelopes in the carrier's group.
    EXPECT_EQ(host.panels().get(p, 0x8008),
              host.envelopes().find(host.scene().chanGroup(cams[0]), "Vertical Jitter"));
    EXPECT_STREQ(static_cast<const char *>(host.panels().get(p, 0x8001)), "v1.5 Dec 11 2010");
    EXPECT_EQ(host.panels().get(p, 0x8002), nullptr);
    EXPECT_EQ(host.panels().set(p, 0x8006, nullptr), 1);
    for (const char *channel : {"Overscan", "Vertical Jitter", "Horizontal Jitter"}) {
        EnvelopeInfo info;
        ASSERT_TRUE(host.envelopes().info(host.envelopes().find(host.scene().chanGroup(cams[0]), channel), info));
        EXPECT_EQ(info.envType, LWVP_FLOAT);
        EXPECT_EQ(info.pluginName, kOverscan);
        EXPECT_EQ(info.value[0], 0.0);
    }
}

class Overscan : public Composite {
protected:
    void SetUp() override {
        Composite::SetUp();
        cam = Apply(cams[0], kOverscan);
        ASSERT_NE(cam, nullptr) << host.lastError();
        panel = Panel(cam);
        LWChanGroupID group = host.scene().chanGroup(cams[0]);
        overscan = host.envelopes().find(group, "Overscan");
        vjitter = host.envelopes().find(group, "Vertical Jitter");
        hjitter = host.envelopes().find(group, "Horizontal Jitter");
        ASSERT_TRUE(overscan && vjitter && hjitter);
    }
    std::string Text(unsigned int cid) {
        const char *t = static_cast<const char *>(host.panels().get(panel, cid));
        return t ? t : "(null)";
    }
    CameraInstance *cam = nullptr;
    LWXPanelID panel = nullptr;
    LWVParmID overscan = nullptr, vjitter = nullptr, hjitter = nullptr;
};

TEST_F(Overscan, ResolutionTexts) {
    EXPECT_EQ(Text(0x800a), "Width x Height");
    EXPECT_EQ(Text(0x800b), "Width x Height");
    host.scene().setResolution(cams[1], 1920, 1080);
    Pick(panel, 0x8007, 1);
    host.envelopes().setValue(overscan, 0.1);
    cam->newTime(0, 0.0);
    EXPECT_EQ(Text(0x800a), " 1920 x 1080");
    EXPECT_EQ(Text(0x800b), " 2112 x 1188");
    // Absurd overscan values give a defined text, not an overflow.
    host.envelopes().setValue(overscan, 1e30);
    cam->newTime(0, 0.0);
    EXPECT_EQ(Text(0x800b), " 0 x 0");
    host.setCameraInfoZero(true);
    EXPECT_EQ(Text(0x800a), " 0 x 0");
    Pick(panel, 0x8007, 0);
    EXPECT_EQ(Text(0x800a), "Width x Height");
}

TEST_F(Overscan, UnchangedRaysWithoutOverscanOrJitter) {
    Pick(panel, 0x8007, 2);
    StartFrame(cam);
    for (double fx : {-W / 2, 0.003, W / 2}) {
        Ray r;
        ASSERT_EQ(Eval(cam, fx, -0.004, &r, 0.5, -0.5, 0.3), 1);
        ExpectSameRay(r, Direct(cams[2], fx, -0.004, 0.5, -0.5, 0.3));
    }
}

TEST_F(Overscan, JitterMovesByQuartersOfTheFilmWidthAndOverscanWidens) {
    Pick(panel, 0x8007, 1);
    host.envelopes().setValue(hjitter, 1.0);
    StartFrame(cam);
    Ray r;
    Eval(cam, 0.001, 0.002, &r);
    ExpectSameRay(r, Direct(cams[1], 0.001 + W / 4, 0.002));
    host.envelopes().setValue(hjitter, 0.0);
    host.envelopes().setValue(vjitter, 1.0); // up by W/4, not H/4
    Eval(cam, 0.001, 0.002, &r);
    ExpectSameRay(r, Direct(cams[1], 0.001, 0.002 + W / 4));
    host.envelopes().setValue(vjitter, 0.0);
    host.envelopes().setValue(overscan, 1.0); // doubles film and lens positions
    Eval(cam, 0.001, 0.002, &r, 0.25, -0.5);
    ExpectSameRay(r, Direct(cams[1], 0.002, 0.004, 0.5, -1.0));
    host.envelopes().setValue(overscan, std::numeric_limits<double>::infinity());
    EXPECT_EQ(Eval(cam, 0.001, 0.002), 0);
}

TEST_F(Overscan, EnvelopesAreEvaluatedAtEachRaysOwnTime) {
    Pick(panel, 0x8007, 1);
    const double duration = host.frameInfo(2).duration, start = host.frameInfo(2).start;
    host.envelopes().setKeys(hjitter, {{start, 0.0}, {start + duration, 1.0}});
    StartFrame(cam, 2);
    for (double f : {0.0, 0.5, 1.0}) {
        Ray r;
        ASSERT_EQ(Eval(cam, 0.0, 0.0, &r, 0, 0, f), 1);
        ExpectSameRay(r, Direct(cams[1], f * W / 4, 0.0, 0, 0, f));
    }
}

TEST_F(Overscan, PreviewScalesTheLensPosition) {
    LWDMatrix4 m{};
    EXPECT_EQ(cam->preview(0.5, 0.5, m), 0);
    Pick(panel, 0x8007, 1);
    host.envelopes().setValue(overscan, 0.5);
    cam->newTime(0, 0.0);
    EXPECT_EQ(cam->preview(0.2, -0.4, m), 1);
    EXPECT_EQ(Logs().back().calls.back(), "preview");
}

// An overscan that is not finite: no matrix and nothing handed on, also for
// the lens centre (where k * 0 would be a NaN for an infinite k).
TEST_F(Overscan, PreviewWithAnOverscanThatIsNotFinite) {
    Pick(panel, 0x8007, 1);
    for (double o : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        host.envelopes().setValue(overscan, o);
        cam->newTime(0, 0.0);
        const std::size_t calls = Logs().back().calls.size();
        LWDMatrix4 m{};
        m[0][0] = 7.0;
        EXPECT_EQ(cam->preview(0.0, 0.0, m), 0) << o;
        EXPECT_EQ(m[0][0], 7.0);
        EXPECT_EQ(Logs().back().calls.size(), calls) << "the picked camera was asked";
    }
}

// Film points, lens positions and fractions that are not finite: no ray,
// and no envelope is read at a time that is not a number.
TEST_F(Overscan, InputThatIsNotFiniteReadsNoEnvelope) {
    Pick(panel, 0x8007, 1);
    StartFrame(cam);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double bad : {nan, inf, -inf}) {
        EXPECT_EQ(Eval(cam, 0, 0, nullptr, 0, 0, bad), 0);
        EXPECT_EQ(Eval(cam, bad, 0), 0);
        EXPECT_EQ(Eval(cam, 0, 0, nullptr, bad, 0, 0.5), 0);
    }
    EXPECT_EQ(host.envelopes().nonFiniteTimes(), 0);
    EXPECT_EQ(Eval(cam, 0, 0), 1);
}

// A block loaded over a live pick: the camera picked before no longer
// renders (until the next pick or render set-up), whatever the block names.
TEST_F(Overscan, LoadDropsTheCameraOfAnEarlierPick) {
    MemorySaveState none(LWIO_ASCII);
    cam->save(none); // choice 0
    Pick(panel, 0x8007, 1);
    StartFrame(cam);
    ASSERT_EQ(Eval(cam, 0, 0), 1);
    MemoryLoadState in(none);
    cam->load(in);
    EXPECT_EQ(Choice(panel, 0x8007), 0);
    EXPECT_EQ(Eval(cam, 0, 0), 0);
    LWDMatrix4 m{};
    EXPECT_EQ(cam->preview(0, 0, m), 0);
    StartFrame(cam);
    EXPECT_EQ(Eval(cam, 0, 0), 0); // choice 0 resolves to nothing
}

TEST_F(Overscan, SceneBlockAndLoadResolvesNothing) {
    Pick(panel, 0x8007, 2);
    host.envelopes().setValue(overscan, 0.25);
    MemorySaveState out(LWIO_ASCII);
    cam->save(out);
    const Names lines = out.lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "2"); // the choice comes first

    host.clearCameraType(cams[0]);
    cam = Apply(cams[0], kOverscan);
    ASSERT_NE(cam, nullptr) << host.lastError(); // creation succeeds again
    panel = Panel(cam);
    MemoryLoadState in(out);
    cam->load(in);
    EXPECT_EQ(Choice(panel, 0x8007), 2);
    EXPECT_EQ(Text(0x800a), "Width x Height");
    cam->newTime(0, 0.0);
    cam->newFrame(0);
    EXPECT_EQ(Eval(cam, 0, 0), 0);
    LWDMatrix4 m{};
    EXPECT_EQ(cam->preview(0, 0, m), 0);
    LWVParmID env = host.envelopes().find(host.scene().chanGroup(cams[0]), "Overscan");
    EXPECT_DOUBLE_EQ(host.envelopes().value(env, 0.0), 0.25);
    StartFrame(cam);
    EXPECT_EQ(Eval(cam, 0, 0), 1);
}

TEST_F(Overscan, DescribeFlagsAndCopyOntoItself) {
    EXPECT_EQ(cam->describe(), "VantorOverscanCam Dec 11 2010 18:08:43");
    EXPECT_EQ(cam->flags(), 1u);
    Pick(panel, 0x8007, 1);
    EXPECT_EQ(cam->copyFrom(*cam), "");
    EXPECT_EQ(Choice(panel, 0x8007), 1);
}

} // namespace
