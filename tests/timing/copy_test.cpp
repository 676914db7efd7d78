// Copying a Performance camera. The host never has two of them at once, so
// this test builds the camera's code into itself, drives the handler record
// directly against the stand-in host's services and lifts the one-at-a-time
// flag to make the second instance a copy can go to.
#include <gtest/gtest.h>

#include <string>

#include "standin/host.h"
#include "timing/performance.h"

namespace PerformanceCam {
extern unsigned char bPerformancecamActive;
}

namespace {

using namespace standin;

class Copy : public ::testing::Test {
protected:
    void SetUp() override {
        carrierA = host.scene().addCamera("A");
        carrierB = host.scene().addCamera("B");
        target = host.scene().addCamera("Target");
        host.scene().setPosition(target, 1.0, 2.0, 3.0);
        handler.inst = &inst;
        handler.item = &item;
        handler.rend = &rend;
        ASSERT_EQ(PerformanceCam::CameraHandler(LWCAMERA_VERSION, Host::globalFunc(), &handler, nullptr), AFUNC_OK);
        a = Create(carrierA);
        ASSERT_NE(a, nullptr);
        PerformanceCam::bPerformancecamActive = 0;
        b = Create(carrierB);
        ASSERT_NE(b, nullptr);
    }
    void TearDown() override {
        if (a) inst.destroy(a);
        if (b) inst.destroy(b);
        EXPECT_EQ(PerformanceCam::bPerformancecamActive, 0);
    }
    LWInstance Create(LWItemID item) {
        LWError err = nullptr;
        LWInstance i = inst.create(inst.priv, item, &err);
        EXPECT_EQ(err, nullptr);
        return i;
    }
    LWXPanelID Panel(LWInstance i) {
        LWInterface ui{};
        ui.inst = i;
        EXPECT_EQ(PerformanceCam::CameraInterface(LWINTERFACE_VERSION, Host::globalFunc(), &ui, nullptr), AFUNC_OK);
        return ui.panel;
    }
    int Choice(LWInstance i) {
        LWXPanelID p = Panel(i);
        void *v = host.panels().get(p, 0x8006);
        return v ? *static_cast<int *>(v) : -999;
    }
    void Frame(LWInstance i, LWItemID item) {
        rend.newTime(i, 0, 0.0);
        LWFrameInfo fi = host.frameInfo(0);
        LWCameraAccess ca{};
        host.buildAccess(item, 0.0, &ca);
        handler.newFrame(i, &fi, &ca);
    }
    int Eval(LWInstance i) {
        LWCameraRay r{};
        return handler.evaluate(i, 0.001, 0.002, 0, 0, 0.5, &r, nullptr);
    }

    Host host;
    LWInstanceFuncs inst{};
    LWItemFuncs item{};
    LWRenderFuncs rend{};
    LWCameraHandler handler{};
    LWItemID carrierA = nullptr, carrierB = nullptr, target = nullptr;
    LWInstance a = nullptr, b = nullptr;
};

TEST_F(Copy, TakesThePickButNotTheEvaluator) {
    // In A's list (A excluded) "Target" is entry 2: (none), B, Target.
    int pick = 2;
    EXPECT_EQ(host.panels().set(Panel(a), 0x8006, &pick), 1);
    const int created = host.evaluatorsCreated();
    EXPECT_EQ(inst.copy(b, a), nullptr);
    EXPECT_EQ(host.evaluatorsCreated(), created);
    EXPECT_EQ(Choice(b), 2);

    // B has no evaluator until its render initialisation resolves the pick in
    // its own list, where entry 2 is also Target.
    Frame(b, carrierB);
    EXPECT_EQ(Eval(b), LWCAMTYPEEVAL_NO_RAY);
    rend.init(b, LWINIT_RENDER);
    Frame(b, carrierB);
    EXPECT_EQ(Eval(b), LWCAMTYPEEVAL_RAY);
    EXPECT_EQ(host.evaluatorLogs().back().item, target);

    // A keeps its own evaluator.
    Frame(a, carrierA);
    EXPECT_EQ(Eval(a), LWCAMTYPEEVAL_RAY);
    rend.cleanup(b);
    rend.cleanup(a);
}

TEST_F(Copy, CopiedFrameRecordsAreNotThisCamerasFrame) {
    int pick = 2;
    host.panels().set(Panel(a), 0x8006, &pick);
    rend.init(a, LWINIT_RENDER);
    Frame(a, carrierA);
    EXPECT_EQ(inst.copy(b, a), nullptr);
    // B measures calls but carries A's camera access record, so no frame of
    // B was set up: its clean-up shows nothing.
    rend.init(b, LWINIT_RENDER);
    EXPECT_EQ(Eval(b), LWCAMTYPEEVAL_RAY);
    rend.cleanup(b);
    EXPECT_EQ(host.panels().postCalls(), 0);
    rend.cleanup(a);
}

TEST_F(Copy, NullEitherWayCannotCopy) {
    EXPECT_STREQ(inst.copy(nullptr, a), "Could not copy");
    EXPECT_STREQ(inst.copy(b, nullptr), "Could not copy");
}

} // namespace
