// The immersive module (Vantor_LentaraXR) loaded into a stand-in host with
// one moving, turned camera item, and what its tests share: the frame pose a
// ray is made from, panel access and a ray compared bit for bit with the pure
// projection.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/motion.h"
#include "standin/host.h"
#include "tests/support/camera_fixture.h"
#include "tests/support/camera_types.h"

namespace testsupport {

// The steps on an instance (Make, Panel, Env, Set) are CameraTypeTest's; the
// module and the camera item are this fixture's own.
class XrCameraTest : public CameraTypeTest {
protected:
    static constexpr int kFrame = 5;

    void SetUp() override {
        std::string path;
        for (const ModuleFile &m : CameraModules())
            if (m.target == "Vantor_LentaraXR") path = m.path;
        ASSERT_FALSE(path.empty()) << "Vantor_LentaraXR is not in tests/support/camera_modules.cmake";
        module = &host.loadModule(path);
        ASSERT_TRUE(module->ok()) << module->error();
        cam = host.scene().addCamera("Camera");
        standin::Scene &s = host.scene();
        s.setPosition(cam, 1.0, 2.0, -3.0);
        s.setMotionKeys(cam, standin::Motion::X, {{0.0, 1.0}, {1.0, 2.0}});
        s.setMotionKeys(cam, standin::Motion::Heading, {{0.0, 0.6}, {1.0, 1.1}});
        s.setMotionKeys(cam, standin::Motion::Pitch, {{0.0, -0.35}, {1.0, 0.1}});
        s.setMotionKeys(cam, standin::Motion::Bank, {{0.0, 0.25}, {1.0, 0.25}});
        FilmSize(0.036, 0.027);
    }

    void FilmSize(double w, double h) {
        host.scene().setCamera(cam, standin::CamProp::FilmWidth, w);
        host.scene().setCamera(cam, standin::CamProp::FilmHeight, h);
    }

    // What every type of the module shows the host: "<server> v2.0" as its
    // description, flags 0, and a panel headed by the logo (0x8000) and the
    // version line "v2.0" (0x8001). The panel.
    LWXPanelID DescribedPanel(const standin::CameraInstance &ci) {
        EXPECT_EQ(ci.describe(), ci.server() + " v2.0");
        EXPECT_EQ(ci.flags(), 0u);
        const LWXPanelID panel = Panel(ci);
        const char *version = static_cast<const char *>(host.panels().get(panel, 0x8001));
        EXPECT_STREQ(version ? version : "", "v2.0");
        standin::Raster logo;
        EXPECT_TRUE(host.panels().draw(panel, 0x8000, 300, 61, logo));
        return panel;
    }

    // The panel's control and data tables, one "id label class" line each.
    std::string Tables(LWXPanelID panel) {
        std::string out;
        const standin::PanelRecord *r = host.panels().record(panel);
        if (!r) return out;
        for (const standin::PanelControl &c : r->controls)
            out += std::to_string(c.cid) + " " + c.label + " " + c.ctrlclass + "\n";
        for (const standin::PanelDataDesc &d : r->data)
            out += std::to_string(d.vid) + " " + d.name + " " + d.datatype + "\n";
        return out;
    }
    // The scene block of an instance: its bytes, and the envelopes of `ids`
    // saved one after the other by the host itself.
    std::string Block(const standin::CameraInstance &ci, int mode) {
        standin::MemorySaveState out(mode);
        EXPECT_EQ(ci.save(out), "");
        return out.bytes();
    }
    std::string EnvelopeRecords(LWXPanelID panel, std::initializer_list<unsigned int> ids, int mode) {
        standin::MemorySaveState out(mode);
        for (unsigned int id : ids) EXPECT_EQ(host.envelopes().funcs()->save(Env(panel, id), out.state()), nullptr);
        return out.bytes();
    }
    // A panel id's envelope: its channel, owned by `server`, with `value` at time 0.
    void ExpectEnvelope(LWXPanelID panel, unsigned int id, const std::string &channel, const std::string &server,
                        double value) {
        standin::EnvelopeInfo info;
        ASSERT_TRUE(host.envelopes().info(Env(panel, id), info)) << channel;
        EXPECT_EQ(info.channelName, channel);
        EXPECT_EQ(info.pluginName, server);
        EXPECT_EQ(host.envelopes().value(Env(panel, id), 0.0), value) << channel;
    }
    // A scene block loads into a new instance of `server` to its end and saves again unchanged.
    void ExpectBlockReloads(const std::string &server, const std::string &block, int mode) {
        auto b = Make(server);
        standin::MemoryLoadState in(block, mode);
        ASSERT_EQ(b->load(in), "");
        EXPECT_TRUE(in.atEnd());
        EXPECT_EQ(Block(*b, mode), block);
    }
    void StartFrame(standin::CameraInstance &ci) {
        ASSERT_EQ(ci.initRender(LWINIT_RENDER), "");
        ASSERT_EQ(ci.newTime(kFrame, host.frameInfo(kFrame).start), "");
        ASSERT_EQ(ci.newFrame(kFrame), "");
    }

    // The pose of the camera item at an exposure fraction, from its two
    // motion samples (the frame's start and end).
    lentara::Pose PoseAt(double fraction) {
        const LWFrameInfo fi = host.frameInfo(kFrame);
        auto at = [&](int code, double t) {
            double v[3];
            host.scene().param(cam, code, t, v);
            return lentara::Vec3{v[0], v[1], v[2]};
        };
        const double t0 = fi.start, t1 = fi.start + fi.duration, w = fraction, u = 1.0 - w;
        auto lerp = [&](int code) {
            const lentara::Vec3 a = at(code, t0), b = at(code, t1);
            return lentara::Vec3{u * a.x + w * b.x, u * a.y + w * b.y, u * a.z + w * b.z};
        };
        return {lerp(LWIP_W_POSITION), lerp(LWIP_RIGHT), lerp(LWIP_UP), lerp(LWIP_FORWARD)};
    }

    // The ray the host gets for a film point, or false; `ray` is left as it was
    // when there is none (checked here).
    bool Evaluate(const standin::CameraInstance &ci, double x, double y, double fraction, LWCameraRay &ray) {
        LWCameraRay before;
        std::memset(&before, 0x5a, sizeof before);
        ray = before;
        const int rc = ci.handler().evaluate(ci.instance(), x, y, 0.3, -0.2, fraction, &ray, &ci.access());
        if (!rc) {
            EXPECT_EQ(std::memcmp(&ray, &before, sizeof ray), 0) << "no ray, but the record was written";
        }
        return rc != 0;
    }

    // Over a grid of nx x ny film points reaching `reach` times the film, at
    // fractions 0, 0.37 and 1: the host gives a ray exactly where the pure
    // projection's camera vector does, and that ray is the vector turned by
    // the frame pose, bit for bit. The number of rays.
    template <class Frame, class CameraVector>
    int ExpectPureRays(const standin::CameraInstance &ci, const Frame &frame, CameraVector vector, int nx, int ny,
                       double reach, const std::string &what) {
        const double W = ci.access().filmSize[0], H = ci.access().filmSize[1];
        int rays = 0;
        for (double fraction : {0.0, 0.37, 1.0}) {
            const lentara::Pose pose = PoseAt(fraction);
            for (int j = 0; j < ny; ++j)
                for (int i = 0; i < nx; ++i) {
                    const double x = (double(i) / (nx - 1) - 0.5) * reach * W;
                    const double y = (double(j) / (ny - 1) - 0.5) * reach * H;
                    lentara::Vec3 local;
                    const bool want = vector(frame, x, y, local);
                    LWCameraRay ray;
                    EXPECT_EQ(Evaluate(ci, x, y, fraction, ray), want) << what << " at " << x << " " << y;
                    if (!want) continue;
                    ++rays;
                    ExpectRay(ray, pose.position, lentara::WorldDirectionNormalised(pose, local), what);
                }
        }
        return rays;
    }

    // Bit-for-bit comparison with origin, direction and film normal = direction.
    static void ExpectRay(const LWCameraRay &ray, lentara::Vec3 origin, lentara::Vec3 dir, const std::string &what) {
        const double want[9] = {origin.x, origin.y, origin.z, dir.x, dir.y, dir.z, dir.x, dir.y, dir.z};
        double got[9];
        std::memcpy(got, ray.rayPos, sizeof ray.rayPos);
        std::memcpy(got + 3, ray.rayDir, sizeof ray.rayDir);
        std::memcpy(got + 6, ray.filmNorm, sizeof ray.filmNorm);
        EXPECT_EQ(std::memcmp(got, want, sizeof want), 0)
            << what << ": dir " << got[3] << " " << got[4] << " " << got[5] << " want " << dir.x << " " << dir.y
            << " " << dir.z;
    }
};

} // namespace testsupport
