// The module descriptor, the server table and the activation rules.
#include <cstdint>
#include <set>
#include <vector>

#include "tests/support/module_fixture.h"

namespace {

const char *const kServerOrder[] = {
    "VantorMultiCam",    "Vantor4UpCam",         "Vantor12UpCam",    "VantorStereoCam",
    "VantorSkyboxCam",   "VantorPanoramicCam",   "VantorCylinderCam", "VantorPerspectiveCam",
    "VantorFisheyeCam",  "VantorPerspectiveNoDOFCam", "VantorPerspectiveNoDOFNoMBCam", "VantorAdvPanCam",
    "VantorOverscanCam",
};
const char *const kUserNames[] = {
    "Vantor Dual Camera",      "Vantor 4Up Camera",      "Vantor 12Up Camera",   "Vantor Stereo Camera",
    "Vantor Skybox Camera",    "Vantor Panoramic Camera", "Vantor Cylinder Camera", "Vantor Perspective",
    "Vantor Fisheye Camera",   "Vantor No DoF",          "Vantor No DoF No MB",  "Vantor SuperPano Camera",
    "Vantor Overscan Camera",
};

// Handler record with its sub-records, as the host provides it.
struct HandlerRecord {
    LWInstanceFuncs inst{};
    LWItemFuncs item{};
    LWRenderFuncs rend{};
    LWCameraHandler h{&inst, &item, &rend, nullptr, nullptr, nullptr, nullptr};
};

} // namespace

using ModuleTable = ModuleFixture;

TEST_F(ModuleTable, DescriptorIdentifiesTheModule) {
    const ModuleDescriptor *d = module->descriptor();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->sysSync, 0x04121994u);
    EXPECT_EQ(d->sysVersion, 3u);
    // The machine type of the platform built for.
#if defined(_WIN32)
    EXPECT_EQ(d->sysMachine, 0x300u);
#elif defined(__APPLE__)
    EXPECT_EQ(d->sysMachine, 0x400u);
#else
    EXPECT_EQ(d->sysMachine, 0x200u);
#endif
    // The module data block starts with the notice text.
    const auto *data = static_cast<const char *const *>(module->serverData());
    ASSERT_NE(data[0], nullptr);
    EXPECT_NE(std::string(data[0]).find("Vantor"), std::string::npos);
    // Shutdown tolerates a null block.
    d->shutdown(nullptr);
}

TEST_F(ModuleTable, ThirtyNineRecordsInTableOrder) {
    const ServerRecord *rec = module->descriptor()->serverDefs;
    std::vector<const ServerRecord *> all;
    for (; rec->className; ++rec) all.push_back(rec);
    ASSERT_EQ(all.size(), 39u);
    std::set<std::string> names;
    for (std::size_t row = 0; row < 13; ++row) {
        const char *classes[] = {LWCAMERA_HCLASS, LWCAMERA_ICLASS, LWCAMERA_GCLASS};
        for (int k = 0; k < 3; ++k) {
            const ServerRecord *r = all[row * 3 + k];
            EXPECT_STREQ(r->className, classes[k]) << row;
            EXPECT_STREQ(r->name, kServerOrder[row]) << row;
            ASSERT_NE(r->activate, nullptr);
            ASSERT_NE(r->tagInfo, nullptr);
            // Every list names the camera twice, US and UK English, then ends.
            EXPECT_STREQ(r->tagInfo[0].string, kUserNames[row]);
            EXPECT_EQ(r->tagInfo[0].tag, 0x409u);
            EXPECT_STREQ(r->tagInfo[1].string, kUserNames[row]);
            EXPECT_EQ(r->tagInfo[1].tag, 0x809u);
            EXPECT_EQ(r->tagInfo[2].string, nullptr);
            EXPECT_EQ(r->tagInfo[2].tag, 0u);
        }
        names.insert(kServerOrder[row]);
    }
    EXPECT_EQ(names.size(), 13u);
    // The three Perspective servers share one interface and one gizmo activation.
    EXPECT_EQ(all[7 * 3 + 1]->activate, all[9 * 3 + 1]->activate);
    EXPECT_EQ(all[7 * 3 + 2]->activate, all[10 * 3 + 2]->activate);
    EXPECT_NE(all[7 * 3]->activate, all[9 * 3]->activate);
}

using Activation = ModuleFixture;

TEST_F(Activation, WrongVersionsAreRefusedAndLeaveTheRecordUnfilled) {
    HandlerRecord r;
    EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 1, &r.h), AFUNC_BADVERSION);
    EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 3, &r.h), AFUNC_BADVERSION);
    EXPECT_EQ(r.h.evaluate, nullptr);
    EXPECT_EQ(r.inst.create, nullptr);

    LWInterface ui{};
    EXPECT_EQ(module->activate(LWCAMERA_ICLASS, "VantorPanoramicCam", 3, &ui), AFUNC_BADVERSION);
    LWGizmo g{};
    EXPECT_EQ(module->activate(LWCAMERA_GCLASS, "VantorPanoramicCam", 3, &g), AFUNC_BADVERSION);
    EXPECT_EQ(g.gizmo, nullptr);

    // Negotiation reaches the versions the module takes.
    int version = 0;
    std::vector<int> offered;
    EXPECT_EQ(module->activateGizmo("VantorPanoramicCam", &g, &version, &offered), AFUNC_OK);
    EXPECT_EQ(version, 1);
    ASSERT_NE(g.gizmo, nullptr);
    EXPECT_STREQ(g.gizmo->help(nullptr, nullptr), "");
    EXPECT_EQ(g.gizmo->handle(nullptr, nullptr, 0, nullptr), -1);
    EXPECT_EQ(g.gizmo->dirty, nullptr);
    EXPECT_EQ(g.gizmo->count, nullptr);
    EXPECT_EQ(g.gizmo->panel, nullptr);
    EXPECT_EQ(module->activateInterface("VantorPanoramicCam", &ui, &version), AFUNC_OK);
    EXPECT_EQ(version, 4);
}

TEST_F(Activation, EachMissingServiceIsReported) {
    const char *required[] = {"LW Item Info 4", "LW Camera Info 5", "LW Time Info", "LWXPanel", "LWVParmFuncs 2",
                              "Info Messages 2"};
    for (const char *name : required) {
        host->setServiceMissing(name, true);
        HandlerRecord r;
        EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 2, &r.h), AFUNC_BADGLOBAL) << name;
        EXPECT_EQ(r.h.evaluate, nullptr) << name;
        host->setServiceMissing(name, false);
    }
    HandlerRecord ok;
    EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 2, &ok.h), AFUNC_OK);
    EXPECT_NE(ok.h.evaluate, nullptr);
    EXPECT_EQ(ok.inst.priv, module->serverData());
    EXPECT_EQ(ok.item.useItems, nullptr);
    // The lookup function is kept in the module data block.
    EXPECT_EQ(static_cast<void *const *>(module->serverData())[1], reinterpret_cast<void *>(standin::Host::globalFunc()));
}

TEST_F(Activation, ServicesAreFetchedInOrder) {
    host->clearLookupLog();
    HandlerRecord r;
    ASSERT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 2, &r.h), AFUNC_OK);
    const std::vector<std::string> expected = {"LW Item Info 4", "LW Camera Info 5", "LW Time Info",
                                               "LWXPanel", "LWVParmFuncs 2", "Info Messages 2", "System ID"};
    EXPECT_EQ(host->lookupLog(), expected);
}

TEST_F(Activation, ARenderNodeNeedsNoInterfaceServices) {
    host->setRenderNode(3);
    HandlerRecord r;
    EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 2, &r.h), AFUNC_OK);
    // ... but the render services stay required.
    host->setServiceMissing("LW Time Info", true);
    HandlerRecord r2;
    EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 2, &r2.h), AFUNC_BADGLOBAL);
    host->setServiceMissing("LW Time Info", false);

    // An interactive session (top bits not 2) must have them.
    host->setSystemId(LWSYS_OTHER | 3);
    host->setServiceMissing("LWXPanel", true);
    HandlerRecord r3;
    EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 2, &r3.h), AFUNC_BADGLOBAL);
}

TEST_F(Activation, ANullItemRecordIsNotWrittenThrough) {
    LWInstanceFuncs inst{};
    LWRenderFuncs rend{};
    LWCameraHandler h{&inst, nullptr, &rend, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(module->activate(LWCAMERA_HCLASS, "VantorPanoramicCam", 2, &h), AFUNC_OK);
    EXPECT_NE(inst.create, nullptr);
    EXPECT_NE(rend.newTime, nullptr);
}
