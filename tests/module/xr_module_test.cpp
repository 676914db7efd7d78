// The immersive module's descriptor, notice, server table and activation
// versions, and the inert gizmo its cameras share.
#include <string>
#include <vector>

#include "tests/support/module_records.h"
#include "tests/support/xr_fixture.h"

using namespace standin;

using XrModule = testsupport::XrCameraTest;

TEST_F(XrModule, DescriptorNoticeAndServerTable) {
    const ModuleDescriptor *d = module->descriptor();
    ASSERT_NE(d, nullptr);
    testsupport::ExpectDescriptorHeader(d);
    const auto *data = static_cast<const char *const *>(module->serverData());
    ASSERT_NE(data[0], nullptr);
    EXPECT_STREQ(data[0], "Vantor Lentara XR immersive cameras v2.0");

    const char *const names[] = {"VantorDomeCam", "VantorCubemapCam", "VantorSphericalStereoCam",
                                 "VantorStereoRigCam"};
    const char *const users[] = {"Vantor Dome Camera", "Vantor Cubemap Camera", "Vantor Spherical Stereo Camera",
                                 "Vantor Stereo Rig Camera"};
    const char *const classes[] = {LWCAMERA_HCLASS, LWCAMERA_ICLASS, LWCAMERA_GCLASS};
    const ServerRecord *rec = d->serverDefs;
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 3; ++k, ++rec) {
            ASSERT_NE(rec->className, nullptr) << row;
            EXPECT_STREQ(rec->className, classes[k]);
            EXPECT_STREQ(rec->name, names[row]);
            ASSERT_NE(rec->activate, nullptr);
            ASSERT_NE(rec->tagInfo, nullptr);
            EXPECT_STREQ(rec->tagInfo[0].string, users[row]);
            EXPECT_EQ(rec->tagInfo[0].tag, SRVTAG_USERNAME | LANGID_USENGLISH);
            EXPECT_STREQ(rec->tagInfo[1].string, users[row]);
            EXPECT_EQ(rec->tagInfo[1].tag, SRVTAG_USERNAME | LANGID_UKENGLISH);
            EXPECT_EQ(rec->tagInfo[2].string, nullptr);
        }
    EXPECT_EQ(rec->className, nullptr);
    EXPECT_EQ(rec->name, nullptr);
    EXPECT_EQ(rec->activate, nullptr);
}

TEST_F(XrModule, EveryServerTakesOnlyItsVersionAndTheGizmoDrawsNothing) {
    for (const char *name : {"VantorDomeCam", "VantorCubemapCam", "VantorSphericalStereoCam", "VantorStereoRigCam"}) {
        SCOPED_TRACE(name);
        int version = 0;
        testsupport::HandlerRecord r;
        EXPECT_EQ(module->activate(LWCAMERA_HCLASS, name, 3, &r.h), AFUNC_BADVERSION);
        EXPECT_EQ(r.h.evaluate, nullptr);
        EXPECT_EQ(module->activateHandler(name, &r.h, &version), AFUNC_OK);
        EXPECT_EQ(version, 2);
        LWInterface ui{};
        EXPECT_EQ(module->activate(LWCAMERA_ICLASS, name, 3, &ui), AFUNC_BADVERSION);
        EXPECT_EQ(module->activateInterface(name, &ui, &version), AFUNC_OK);
        EXPECT_EQ(version, 4);
        LWGizmo g{};
        EXPECT_EQ(module->activate(LWCAMERA_GCLASS, name, 2, &g), AFUNC_BADVERSION);
        EXPECT_EQ(module->activateGizmo(name, &g, &version), AFUNC_OK);
        EXPECT_EQ(version, 1);

        auto ci = Make(name);
        StartFrame(*ci);
        g.instance = ci->instance();
        ASSERT_NE(g.gizmo, nullptr);
        ASSERT_NE(g.gizmo->draw, nullptr);
        DrawRecorder rec;
        g.gizmo->draw(ci->instance(), rec.access());
        EXPECT_TRUE(rec.calls().empty());
        EXPECT_STREQ(g.gizmo->help(ci->instance(), nullptr), "");
        EXPECT_EQ(g.gizmo->handle(ci->instance(), nullptr, 0, nullptr), -1);
    }
}
