// Host faults met by every camera type of the built module(s): services
// missing at activation, envelopes the host cannot create, item names and
// film sizes it does not give, evaluators it refuses to make.
#include "tests/robustness/robustness.h"
#include "tests/support/module_records.h"

#include <cmath>
#include <cstring>
#include <map>
#include <string>

namespace {

using robustness::AllTypes;
using robustness::CameraType;
using robustness::RobustnessTest;

// Every service the framework treats as required outside a render node.
const char *const kCoreServices[] = {LWITEMINFO_GLOBAL, LWCAMERAINFO_GLOBAL, LWTIMEINFO_GLOBAL,
                                     LWXPANELFUNCS_GLOBAL, LWMESSAGEFUNCS_GLOBAL};

bool RecordUnfilled(const LWCameraHandler &h, const LWInstanceFuncs &inst, const LWRenderFuncs &rend) {
    return !h.evaluate && !h.newFrame && !h.preview && !h.flags && !inst.create && !inst.destroy && !inst.load &&
           !inst.save && !rend.init && !rend.newTime;
}

class ServiceMissing : public RobustnessTest {
protected:
    using HandlerRecord = testsupport::HandlerRecord;
    int Activate(const CameraType &t, HandlerRecord &r) { return Mod(t).activateHandler(t.server, &r.h); }
    // Every service a good activation of the type asks for, each name once.
    std::vector<std::string> AskedServices(const CameraType &t) {
        host->clearLookupLog();
        HandlerRecord r;
        EXPECT_EQ(Activate(t, r), AFUNC_OK);
        std::vector<std::string> asked = host->lookupLog();
        std::sort(asked.begin(), asked.end());
        asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
        return asked;
    }
};

// Each service the handler asks for, withheld in turn: a required one makes
// the activation fail with AFUNC_BADGLOBAL and leaves the host's record as
// it was; an optional one still activates.
TEST_P(ServiceMissing, RequiredServicesFailActivationAndLeaveRecordUnfilled) {
    const CameraType &t = GetParam();
    const std::vector<std::string> asked = AskedServices(t);
    for (const char *core : kCoreServices)
        EXPECT_NE(std::find(asked.begin(), asked.end(), core), asked.end()) << t.server << " never asks for " << core;

    for (const std::string &name : asked) {
        SCOPED_TRACE(t.server + " without " + name);
        host->setServiceMissing(name, true);
        HandlerRecord r;
        const int rc = Activate(t, r);
        const bool core = std::find_if(std::begin(kCoreServices), std::end(kCoreServices),
                                       [&](const char *c) { return name == c; }) != std::end(kCoreServices);
        if (core) {
            EXPECT_EQ(rc, AFUNC_BADGLOBAL);
        }
        EXPECT_TRUE(rc == AFUNC_OK || rc == AFUNC_BADGLOBAL) << "code " << rc;
        if (rc != AFUNC_OK) {
            EXPECT_TRUE(RecordUnfilled(r.h, r.inst, r.rend));
        }
        host->setServiceMissing(name, false);
    }
}

// A render node has no panels or messages: the activation of the camera
// collection's types still succeeds (the timing camera needs its panel and
// messages everywhere).
TEST_P(ServiceMissing, RenderNodeActivatesWithoutPanelsAndMessages) {
    const CameraType &t = GetParam();
    if (!t.mainModule) GTEST_SKIP() << t.server << " needs panels on a render node too";
    host->setRenderNode(3);
    HandlerRecord r;
    EXPECT_EQ(Activate(t, r), AFUNC_OK);
    EXPECT_TRUE(r.h.evaluate != nullptr);
}

// An instance made under a good activation keeps working after a later
// activation of the same server failed for a missing service.
TEST_P(ServiceMissing, FailedReactivationDoesNotBreakLiveInstance) {
    const CameraType &t = GetParam();
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok());
    for (const char *core : kCoreServices) {
        host->setServiceMissing(core, true);
        HandlerRecord r;
        EXPECT_EQ(Activate(t, r), AFUNC_BADGLOBAL) << core;
        host->setServiceMissing(core, false);
    }
    standin::MemorySaveState out(LWIO_BINARY);
    EXPECT_EQ(cam->save(out), "");
    standin::MemoryLoadState in(out);
    EXPECT_EQ(cam->load(in), "");
    robustness::RenderGrid(*cam);
    cam->cleanUp();
}

// Each service the handler asks for, withheld from a re-activation after a
// good one: when that activation fails, the live instance still writes the
// same scene block and, at a frame set up afresh, the same rays (from the
// camera's own position, with its envelope values).
TEST_P(ServiceMissing, FailedReactivationKeepsBlockAndRays) {
    const CameraType &t = GetParam();
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok());
    const std::string block = robustness::SavedBlock(*cam);
    ASSERT_FALSE(block.empty());
    const std::vector<robustness::Ray> reference = robustness::RenderGrid(*cam);
    cam->cleanUp();

    const std::vector<std::string> asked = AskedServices(t);
    int failed = 0;
    for (const std::string &name : asked) {
        host->setServiceMissing(name, true);
        HandlerRecord r;
        const int rc = Activate(t, r);
        host->setServiceMissing(name, false);
        if (rc == AFUNC_OK) continue;
        ++failed;
        SCOPED_TRACE(t.server + " after an activation without " + name);
        EXPECT_EQ(robustness::SavedBlock(*cam), block);
        cam->newTime(5, 5 / host->render().fps);
        cam->newFrame(5); // so that the grid's frame is set up again
        const std::vector<robustness::Ray> rays = robustness::RenderGrid(*cam);
        cam->cleanUp();
        ASSERT_EQ(rays.size(), reference.size());
        int differing = 0;
        for (std::size_t i = 0; i < rays.size(); ++i) {
            bool same = rays[i].code == reference[i].code;
            for (int k = 0; k < 18 && same; ++k) same = rays[i].v[k] == reference[i].v[k];
            if (!same && differing++ == 0) {
                ADD_FAILURE() << "sample " << i << ": code " << rays[i].code << " pos (" << rays[i].v[0] << ", "
                              << rays[i].v[1] << ", " << rays[i].v[2] << "), expected code " << reference[i].code
                              << " pos (" << reference[i].v[0] << ", " << reference[i].v[1] << ", "
                              << reference[i].v[2] << ")";
            }
        }
        EXPECT_EQ(differing, 0);
    }
    EXPECT_GT(failed, 0) << t.server << " never refused an activation";
}

// The interface and gizmo of a type without the panel service: no panel,
// and the handler's instance stays usable. The host calls the options
// callback of a record without a panel, so that one is set and answers
// without touching the instance.
TEST_P(ServiceMissing, InterfaceWithoutPanelService) {
    const CameraType &t = GetParam();
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok());
    LWXPanelID shown = nullptr;
    std::string none = "unset";
    EXPECT_EQ(cam->openProperties(&shown, &none), AFUNC_OK); // with the service: a panel, no options call
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(none, "");
    const std::string before = robustness::SavedBlock(*cam);
    host->setServiceMissing(LWXPANELFUNCS_GLOBAL, true);
    LWInterface iface{};
    iface.inst = cam->instance();
    const int rc = cam->activateInterface(iface);
    EXPECT_TRUE(rc == AFUNC_OK || rc == AFUNC_BADGLOBAL) << "code " << rc;
    EXPECT_EQ(iface.panel, nullptr);
    if (rc == AFUNC_OK) {
        ASSERT_NE(iface.options, nullptr) << "neither a panel nor an options callback";
        const char *message = iface.options(iface.inst);
        ASSERT_NE(message, nullptr);
        EXPECT_STREQ(message, "Could not create the panel");
        EXPECT_EQ(robustness::SavedBlock(*cam), before);
        // The same through the host's own way of opening the properties.
        LWXPanelID panel = nullptr;
        std::string text;
        EXPECT_EQ(cam->openProperties(&panel, &text), AFUNC_OK);
        EXPECT_EQ(panel, nullptr);
        EXPECT_EQ(text, "Could not create the panel");
        EXPECT_EQ(robustness::SavedBlock(*cam), before);
    }
    LWGizmo gizmo{};
    cam->activateGizmo(gizmo);
    host->setServiceMissing(LWXPANELFUNCS_GLOBAL, false);
    EXPECT_FALSE(cam->describe().empty());
    robustness::RenderGrid(*cam);
    cam->cleanUp();
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ServiceMissing, ::testing::ValuesIn(AllTypes()), robustness::TypeName);

class NullEnvelopes : public RobustnessTest {};

// Without envelopes the camera renders with its defaults: the same rays as
// an instance whose envelopes hold the defaults.
TEST_P(NullEnvelopes, CameraWorksWithDefaults) {
    const CameraType &t = GetParam();
    std::vector<robustness::Ray> reference;
    std::string savedDefault;
    {
        auto cam = Make(t);
        ASSERT_TRUE(cam->ok());
        reference = robustness::RenderGrid(*cam);
        standin::MemorySaveState out(LWIO_ASCII);
        cam->save(out);
        savedDefault = out.bytes();
        cam->cleanUp();
    }
    const int before = host->envelopes().created();
    host->setEnvelopeCreateFails(true);
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok()) << cam->error();
    EXPECT_EQ(host->envelopes().created(), before);
    EXPECT_FALSE(cam->describe().empty());

    // Panel reads of every control: envelope controls give nothing.
    LWInterface iface{};
    ASSERT_EQ(cam->activateInterface(iface), AFUNC_OK);
    if (iface.panel) {
        const standin::PanelRecord *rec = host->panels().record(iface.panel);
        ASSERT_NE(rec, nullptr);
        for (const standin::PanelControl &c : rec->controls) {
            void *v = host->panels().get(iface.panel, c.cid);
            if (robustness::IsEnvelopeControl(c.ctrlclass)) {
                EXPECT_EQ(v, nullptr) << c.label;
            }
        }
        host->panels().dump(iface.panel, 0.0);
    }

    // Save, load (also a block written with envelopes) and copy.
    standin::MemorySaveState out(LWIO_ASCII);
    EXPECT_EQ(cam->save(out), "");
    standin::MemoryLoadState own(out);
    EXPECT_EQ(cam->load(own), "");
    standin::MemoryLoadState full(savedDefault, LWIO_ASCII);
    cam->load(full);
    if (!t.singleInstance) {
        auto other = Make(t);
        ASSERT_TRUE(other->ok());
        EXPECT_EQ(other->copyFrom(*cam), "");
        EXPECT_EQ(cam->copyFrom(*other), "");
    }

    const std::vector<robustness::Ray> rays = robustness::RenderGrid(*cam);
    ASSERT_EQ(rays.size(), reference.size());
    for (std::size_t i = 0; i < rays.size(); ++i) {
        EXPECT_EQ(rays[i].code, reference[i].code) << "sample " << i;
        if (rays[i].code == reference[i].code && rays[i].code == LWCAMTYPEEVAL_RAY) {
            for (int k = 0; k < 9; ++k) EXPECT_NEAR(rays[i].v[k], reference[i].v[k], 1e-12) << "sample " << i;
        }
    }
    cam->cleanUp();
}

// A camera whose envelopes the host could not make writes its block in the
// full layout once the host makes envelopes again (its values in scratch
// records), and otherwise a block that ends where the first record would
// stand. Neither puts a setting where a loader expects an envelope.
TEST_P(NullEnvelopes, SavedBlockKeepsTheLayoutOfACameraWithEnvelopes) {
    const CameraType &t = GetParam();
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        SCOPED_TRACE(mode == LWIO_ASCII ? "text" : "binary");
        std::string full;
        {
            auto cam = Make(t);
            ASSERT_TRUE(cam->ok());
            standin::MemorySaveState out(mode);
            ASSERT_EQ(cam->save(out), "");
            full = out.bytes();
        }
        host->setEnvelopeCreateFails(true);
        auto cam = Make(t);
        ASSERT_TRUE(cam->ok());
        standin::MemorySaveState cut(mode);
        ASSERT_EQ(cam->save(cut), "");
        EXPECT_EQ(full.compare(0, cut.bytes().size(), cut.bytes()), 0) << "not a prefix of the full block";

        host->setEnvelopeCreateFails(false);
        standin::MemorySaveState whole(mode);
        ASSERT_EQ(cam->save(whole), "");
        EXPECT_EQ(whole.bytes(), full);
        cam.reset();

        for (const standin::MemorySaveState *block : {&cut, &whole}) {
            auto other = Make(t);
            ASSERT_TRUE(other->ok());
            standin::MemoryLoadState in(*block);
            ASSERT_EQ(other->load(in), "");
            EXPECT_TRUE(in.atEnd());
            standin::MemorySaveState again(mode);
            ASSERT_EQ(other->save(again), "");
            EXPECT_EQ(again.bytes(), full) << "defaults and values came back changed";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, NullEnvelopes, ::testing::ValuesIn(AllTypes()), robustness::TypeName);

// Whether a type's block starts with an envelope record and has settings
// after the envelopes. Every type has a row: a type without one is run and
// fails, so a new type is decided here rather than left out.
const std::map<std::string, bool> kEnvelopeFirst = {
    {"VantorMultiCam", false},       {"Vantor4UpCam", false},
    {"Vantor12UpCam", false},        {"VantorStereoCam", true},
    {"VantorSkyboxCam", false},      {"VantorPanoramicCam", false},
    {"VantorCylinderCam", true},     {"VantorPerspectiveCam", false},
    {"VantorFisheyeCam", true},      {"VantorPerspectiveNoDOFCam", false},
    {"VantorPerspectiveNoDOFNoMBCam", false}, {"VantorAdvPanCam", false},
    {"VantorOverscanCam", false},    {"PerformanceCamera", false},
    {"VantorDomeCam", true},         {"VantorCubemapCam", true},
    {"VantorSphericalStereoCam", true}, {"VantorStereoRigCam", true},
};

std::vector<CameraType> EnvelopeFirstTypes() {
    std::vector<CameraType> out;
    for (const CameraType &t : AllTypes()) {
        auto it = kEnvelopeFirst.find(t.server);
        if (it == kEnvelopeFirst.end() || it->second) out.push_back(t);
    }
    return out;
}

class BrokenEnvelopeRecord : public RobustnessTest {};

// A stored block whose first envelope record the host cannot read (its key
// count is out of range): the rest of the block would be read from inside
// that record, so nothing after it is taken and the camera keeps every
// setting and value it had.
TEST_P(BrokenEnvelopeRecord, EndsTheLoad) {
    const CameraType &t = GetParam();
    if (!testsupport::DataFor(kEnvelopeFirst, t.server, "kEnvelopeFirst of host_fault_test.cpp")) return;
    std::string block;
    {
        auto source = Make(t);
        ASSERT_TRUE(source->ok());
        block = robustness::SavedBlock(*source, LWIO_BINARY);
    }
    ASSERT_GE(block.size(), 4u);
    block.replace(0, 4, "\xff\xff\xff\xff"); // key count -1
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok());
    const std::string before = robustness::SavedBlock(*cam, LWIO_BINARY);
    standin::MemoryLoadState in(block, LWIO_BINARY);
    EXPECT_EQ(cam->load(in), "");
    EXPECT_EQ(robustness::SavedBlock(*cam, LWIO_BINARY), before);
    robustness::RenderGrid(*cam);
    cam->cleanUp();
}

INSTANTIATE_TEST_SUITE_P(EnvelopeFirst, BrokenEnvelopeRecord, ::testing::ValuesIn(EnvelopeFirstTypes()),
                         robustness::TypeName);

class HostGivesNothing : public RobustnessTest {};

// Item info without names: descriptions, popups and panel listings still
// work and never hand the host a null name.
TEST_P(HostGivesNothing, NullItemNames) {
    const CameraType &t = GetParam();
    host->setItemNameNull(true);
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok());
    cam->describe();
    LWInterface iface{};
    ASSERT_EQ(cam->activateInterface(iface), AFUNC_OK);
    if (iface.panel) {
        const standin::PanelRecord *rec = host->panels().record(iface.panel);
        ASSERT_NE(rec, nullptr);
        const std::vector<standin::PanelControl> controls = rec->controls;
        for (const standin::PanelControl &c : controls) {
            const int n = host->panels().popupCount(iface.panel, c.cid);
            for (int i = -1; i <= n; ++i) host->panels().popupName(iface.panel, c.cid, i);
            if (robustness::IsCameraChoice(*host, iface.panel, c.cid)) {
                int pick = 1;
                host->panels().set(iface.panel, c.cid, &pick);
            }
        }
        host->panels().dump(iface.panel, 0.0);
    }
    robustness::RenderGrid(*cam);
    cam->cleanUp();
}

// Camera info giving zero film sizes and resolutions, and a zero film in the
// access record: never a non-finite ray.
TEST_P(HostGivesNothing, ZeroFilmSizes) {
    const CameraType &t = GetParam();
    host->setCameraInfoZero(true);
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok());
    robustness::PickEveryCamera(*host, *cam);
    robustness::RenderGrid(*cam);  // checks every written ray is finite
    cam->cleanUp();
    host->scene().setCamera(camera, standin::CamProp::FilmWidth, 0.0);
    host->scene().setCamera(camera, standin::CamProp::FilmHeight, 0.0);
    robustness::RenderGrid(*cam);
    cam->cleanUp();
}

// The evaluation service refusing to make evaluators: composite cameras pick
// and render without them and hold none.
TEST_P(HostGivesNothing, EvaluatorsRefused) {
    const CameraType &t = GetParam();
    host->setEvaluatorRefuses(true);
    auto cam = Make(t);
    ASSERT_TRUE(cam->ok());
    const int picked = robustness::PickEveryCamera(*host, *cam);
    const std::vector<robustness::Ray> rays = robustness::RenderGrid(*cam);
    if (picked > 0 && t.usesEvaluators) {
        for (const robustness::Ray &r : rays) EXPECT_NE(r.code, LWCAMTYPEEVAL_RAY);
    }
    EXPECT_EQ(host->liveEvaluators(), 0);
    cam->cleanUp();
    cam.reset();
    EXPECT_EQ(host->liveEvaluators(), 0);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, HostGivesNothing, ::testing::ValuesIn(AllTypes()), robustness::TypeName);

}  // namespace
