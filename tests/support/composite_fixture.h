// The composite cameras' test set-up: a stand-in host with the built module
// and four scene cameras looking different ways, so a ray tells which camera
// made it, and the steps the tests take on a composite camera (apply it to a
// camera, pick tile cameras, start a frame, trace and compare rays).
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "standin/host.h"

namespace testsupport {

using namespace standin;
using Names = std::vector<std::string>;

inline constexpr char kMulti[] = "VantorMultiCam";
inline constexpr char kFourUp[] = "Vantor4UpCam";
inline constexpr char kTwelveUp[] = "Vantor12UpCam";
inline constexpr char kOverscan[] = "VantorOverscanCam";
inline constexpr char kOnlyOneGrid[] = "Only one of DualCam, 4UpCam, or 12UpCam allowed in a scene";
inline constexpr char kOnlyOneOverscan[] = "Only one Overscan Camera allowed in a scene";

struct Ray {
    double pos[3], dir[3];
};

class CompositeTest : public ::testing::Test {
protected:
    CompositeTest() : module(host.loadModule(LENTARA_MODULE_PATH)) {}

    void SetUp() override {
        ASSERT_TRUE(module.ok()) << module.error();
        // Four cameras looking different ways, so a ray tells which one made it.
        const char *names[] = {"A", "B", "C", "D"};
        for (int i = 0; i < 4; ++i) {
            cams[i] = host.scene().addCamera(names[i]);
            host.scene().setPosition(cams[i], i, 2.0 * i, -i);
            host.scene().setRotation(cams[i], 0.4 * i - 0.6, 0.1 * i, 0.0);
        }
    }

    CameraInstance *Apply(LWItemID item, const std::string &server) {
        return host.setCameraType(item, module, server);
    }
    LWXPanelID Panel(CameraInstance *cam) {
        LWInterface ui{};
        EXPECT_EQ(cam->activateInterface(ui), AFUNC_OK);
        return ui.panel;
    }
    int Pick(LWXPanelID panel, unsigned int cid, int value) { return host.panels().set(panel, cid, &value); }
    int Choice(LWXPanelID panel, unsigned int cid) {
        void *v = host.panels().get(panel, cid);
        return v ? *static_cast<int *>(v) : -999;
    }

    // The ray a scene camera gives at a film point, through an evaluator of
    // the test's own, as a tile would be asked.
    Ray Direct(LWItemID item, double fx, double fy, double lx = 0, double ly = 0, double frac = 0) {
        LWCameraEvaluationFuncs *ev = host.evaluationFuncs();
        LWCameraEvaluatorID e = ev->create(item);
        EXPECT_NE(e, nullptr);
        ev->init(e, LWINIT_RENDER);
        ev->newTime(e, 0, 0.0);
        ev->newFrame(e);
        LWCameraRay r{};
        EXPECT_EQ(ev->evaluate(e, fx, fy, lx, ly, frac, &r), LWCAMTYPEEVAL_RAY);
        ev->destroy(e);
        return ToRay(r);
    }
    static Ray ToRay(const LWCameraRay &r) {
        Ray out;
        for (int i = 0; i < 3; ++i) {
            out.pos[i] = r.rayPos[i];
            out.dir[i] = r.rayDir[i];
        }
        return out;
    }
    static void ExpectSameRay(const Ray &a, const Ray &b) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(a.pos[i], b.pos[i], 1e-12);
            EXPECT_NEAR(a.dir[i], b.dir[i], 1e-12);
        }
    }
    // Renders one frame's protocol on the composite camera.
    void StartFrame(CameraInstance *cam, int frame = 0) {
        cam->initRender(LWINIT_RENDER);
        cam->newTime(frame, host.frameInfo(frame).start);
        cam->newFrame(frame);
    }
    int Eval(CameraInstance *cam, double fx, double fy, Ray *out = nullptr, double lx = 0, double ly = 0,
             double frac = 0) {
        LWCameraRay r{};
        const int rc = cam->evaluate(fx, fy, lx, ly, frac, &r);
        if (out) *out = ToRay(r);
        return rc;
    }
    const std::vector<EvaluatorLog> Logs() { return host.evaluatorLogs(); }

    Host host;
    Module &module;
    LWItemID cams[4];
    const double W = 0.036, H = 0.024; // the stand-in's default film
};
using Composite = CompositeTest;

// checked by use (popups, drawing) elsewhere.
struct HintShape {
    unsigned int tag;
    std::vector<std::uintptr_t> args;
};

inline std::vector<HintShape> Shapes(const PanelRecord &rec) {
    std::vector<HintShape> out;
    for (const HintEntry &e : rec.hints.at(0).entries) {
        HintShape h{e.tag, e.args};
        if (e.tag == XPTAG_POPFUNCS || e.tag == XPTAG_DRAWCBFUNC) h.args.resize(1); // the id only
        for (std::uintptr_t id : e.ids) h.args.push_back(id);
        out.push_back(h);
    }
    return out;
}

inline void ExpectHints(const std::vector<HintShape> &got, const std::vector<HintShape> &want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].tag, want[i].tag) << "hint " << i;
        EXPECT_EQ(got[i].args, want[i].args) << "hint " << i;
    }
}

inline constexpr std::uintptr_t kMinus1 = static_cast<std::uintptr_t>(-1);

} // namespace testsupport
