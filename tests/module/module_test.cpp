// The module descriptor, the server table and the activation rules.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/camera_types.h"
#include "tests/support/module_fixture.h"
#include "tests/support/module_records.h"

namespace {

// Vantor_Lentara's camera types in table order, each with the user name its
// three records carry.
struct TypeRow {
    const char *server, *user;
};
const TypeRow kTypes[] = {
    {"VantorMultiCam", "Vantor Dual Camera"},
    {"Vantor4UpCam", "Vantor 4Up Camera"},
    {"Vantor12UpCam", "Vantor 12Up Camera"},
    {"VantorStereoCam", "Vantor Stereo Camera"},
    {"VantorSkyboxCam", "Vantor Skybox Camera"},
    {"VantorPanoramicCam", "Vantor Panoramic Camera"},
    {"VantorCylinderCam", "Vantor Cylinder Camera"},
    {"VantorPerspectiveCam", "Vantor Perspective"},
    {"VantorFisheyeCam", "Vantor Fisheye Camera"},
    {"VantorPerspectiveNoDOFCam", "Vantor No DoF"},
    {"VantorPerspectiveNoDOFNoMBCam", "Vantor No DoF No MB"},
    {"VantorAdvPanCam", "Vantor SuperPano Camera"},
    {"VantorOverscanCam", "Vantor Overscan Camera"},
};
constexpr std::size_t kTypeCount = sizeof kTypes / sizeof kTypes[0];

using testsupport::HandlerRecord;

} // namespace

using ModuleTable = ModuleFixture;

TEST_F(ModuleTable, DescriptorIdentifiesTheModule) {
    const ModuleDescriptor *d = module->descriptor();
    ASSERT_NE(d, nullptr);
    testsupport::ExpectDescriptorHeader(d);
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
    // The module's own records, three to a type; a type kTypes lacks fails
    // by name.
    for (std::size_t row = 0; row * 3 < all.size(); ++row)
        if (row >= kTypeCount) ADD_FAILURE() << all[row * 3]->name << " is in the table but has no row in kTypes";
    ASSERT_EQ(all.size(), 3 * kTypeCount);
    std::set<std::string> names;
    std::map<std::string, std::size_t> rowOf;
    for (std::size_t row = 0; row < kTypeCount; ++row) {
        const char *classes[] = {LWCAMERA_HCLASS, LWCAMERA_ICLASS, LWCAMERA_GCLASS};
        for (int k = 0; k < 3; ++k) {
            const ServerRecord *r = all[row * 3 + k];
            EXPECT_STREQ(r->className, classes[k]) << row;
            EXPECT_STREQ(r->name, kTypes[row].server) << row;
            ASSERT_NE(r->activate, nullptr);
            ASSERT_NE(r->tagInfo, nullptr);
            // Every list names the camera twice, US and UK English, then ends.
            EXPECT_STREQ(r->tagInfo[0].string, kTypes[row].user);
            EXPECT_EQ(r->tagInfo[0].tag, 0x409u);
            EXPECT_STREQ(r->tagInfo[1].string, kTypes[row].user);
            EXPECT_EQ(r->tagInfo[1].tag, 0x809u);
            EXPECT_EQ(r->tagInfo[2].string, nullptr);
            EXPECT_EQ(r->tagInfo[2].tag, 0u);
        }
        names.insert(kTypes[row].server);
        rowOf[kTypes[row].server] = row;
    }
    EXPECT_EQ(names.size(), kTypeCount);
    // The three Perspective servers share one interface and one gizmo activation.
    const std::size_t dof = rowOf["VantorPerspectiveCam"], noDof = rowOf["VantorPerspectiveNoDOFCam"],
                      noMb = rowOf["VantorPerspectiveNoDOFNoMBCam"];
    EXPECT_EQ(all[dof * 3 + 1]->activate, all[noDof * 3 + 1]->activate);
    EXPECT_EQ(all[dof * 3 + 2]->activate, all[noMb * 3 + 2]->activate);
    EXPECT_NE(all[dof * 3]->activate, all[noDof * 3]->activate);
}

// Every module of camera types the suites walk: each type has a handler, an
// interface and a gizmo record in that order, under its name, with one user
// name in US and UK English, and no name twice.
TEST(ModuleTables, EveryListedModuleHasThreeRecordsPerType) {
    ASSERT_FALSE(testsupport::CameraModules().empty());
    standin::Host host;
    for (const testsupport::ModuleFile &m : testsupport::CameraModules()) {
        SCOPED_TRACE(m.target);
        standin::Module &module = host.loadModule(m.path);
        ASSERT_TRUE(module.ok()) << module.error();
        const std::vector<standin::ServerInfo> &servers = module.servers();
        ASSERT_FALSE(servers.empty());
        ASSERT_EQ(servers.size() % 3, 0u);
        std::set<std::string> names;
        for (std::size_t at = 0; at < servers.size(); at += 3) {
            const std::string &name = servers[at].name;
            EXPECT_TRUE(names.insert(name).second) << name << " twice";
            const char *classes[] = {LWCAMERA_HCLASS, LWCAMERA_ICLASS, LWCAMERA_GCLASS};
            for (int k = 0; k < 3; ++k) {
                const standin::ServerInfo &s = servers[at + k];
                EXPECT_EQ(s.className, classes[k]) << name;
                EXPECT_EQ(s.name, name);
                EXPECT_NE(s.activate, nullptr) << name;
                EXPECT_FALSE(s.userName().empty()) << name;
                EXPECT_EQ(s.tag(SRVTAG_USERNAME | LANGID_UKENGLISH), s.userName()) << name;
                EXPECT_EQ(s.userName(), servers[at].userName()) << name;
            }
        }
        EXPECT_EQ(testsupport::HandlerServers(module).size(), names.size());
    }
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
