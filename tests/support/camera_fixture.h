// A stand-in host with the built module loaded and one turned camera item,
// and the steps the camera-type tests take on an instance: make it, open its
// panel, read envelopes and settings through the panel, read its hints,
// trace a ray and record its gizmo drawing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "standin/host.h"
#include "tests/support/camera_types.h"
#include "tests/support/panel_text.h"
#include "tests/support/rays.h"

namespace testsupport {

using namespace standin;

class CameraTypeTest : public ::testing::Test {
protected:
    // The listed module whose types the fixture makes; a fixture for the
    // types of another module overrides it.
    virtual std::string ModuleTarget() const { return "Vantor_Lentara"; }

    void SetUp() override {
        module = &host.loadModule(ModulePath(ModuleTarget()));
        ASSERT_TRUE(module->ok()) << module->error();
        cam = host.scene().addCamera("Camera");
        host.scene().setPosition(cam, 1.0, 2.0, -3.0);
        host.scene().setRotation(cam, 0.6, -0.35, 0.25);
    }

    std::unique_ptr<standin::CameraInstance> Make(const std::string &server, LWItemID item = nullptr) {
        auto ci = std::make_unique<standin::CameraInstance>(host, *module, server, item ? item : cam);
        EXPECT_TRUE(ci->ok()) << ci->error();
        return ci;
    }

    LWXPanelID Panel(const standin::CameraInstance &ci) {
        LWInterface ui{};
        EXPECT_EQ(ci.activateInterface(ui), AFUNC_OK);
        EXPECT_NE(ui.panel, nullptr);
        return ui.panel;
    }

    LWVParmID Env(LWXPanelID panel, unsigned int vid) { return static_cast<LWVParmID>(host.panels().get(panel, vid)); }
    int *Setting(LWXPanelID panel, unsigned int vid) { return static_cast<int *>(host.panels().get(panel, vid)); }
    void Set(LWXPanelID panel, unsigned int vid, int v) { EXPECT_EQ(host.panels().set(panel, vid, &v), 1); }

    // "channel@server" of an envelope, "(none)" for none.
    std::string Channel(LWVParmID vp) {
        standin::EnvelopeInfo info;
        if (!vp || !host.envelopes().info(vp, info)) return "(none)";
        return info.channelName + "@" + info.pluginName;
    }

    std::vector<std::string> Hints(LWXPanelID panel) {
        std::vector<std::string> out;
        for (const standin::HintEntry &e : host.panels().hintEntries(panel)) out.push_back(HintText(e));
        return out;
    }

    // The ray at a film and lens point; fails the test when there is none.
    LWCameraRay Ray(standin::CameraInstance &ci, double fx, double fy, double lx = 0, double ly = 0, double frac = 0) {
        LWCameraRay ray{};
        EXPECT_EQ(ci.evaluate(fx, fy, lx, ly, frac, &ray), 1) << fx << " " << fy << " " << lx << " " << ly;
        return ray;
    }

    std::vector<standin::DrawCall> Draw(const standin::CameraInstance &ci) {
        LWGizmo g{};
        g.instance = ci.instance();
        EXPECT_EQ(ci.activateGizmo(g), AFUNC_OK);
        standin::DrawRecorder rec;
        if (g.gizmo && g.gizmo->draw) g.gizmo->draw(ci.instance(), rec.access());
        return rec.calls();
    }

    standin::Host host;
    standin::Module *module = nullptr;
    LWItemID cam = nullptr;
};
// The suite names the cases have always had.
using Cameras = CameraTypeTest;
using ProjectionCameras = CameraTypeTest;

// The colour the lens cameras' gizmos draw in, at an opacity.
inline void ExpectColour(const standin::DrawCall &c, float alpha) {
    const float kBlue = 0.39453125f, kCyan = 0.59765625f;
    ASSERT_EQ(c.op, "setColor");
    ASSERT_EQ(c.values.size(), 4u);
    EXPECT_EQ(c.values[0], 0.0);
    EXPECT_EQ(c.values[1], kBlue);
    EXPECT_EQ(c.values[2], kCyan);
    EXPECT_EQ(c.values[3], alpha);
}

} // namespace testsupport
