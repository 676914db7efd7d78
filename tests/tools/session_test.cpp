// Scenes in the stand-in host with the built module: errors that name what
// is wrong, the scene round trip through each camera's saved block, and the
// same image for any thread count through real camera types.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "tools/demo.h"
#include "tools/session.h"

namespace lentara::tool {
namespace {

bool ModuleHas(const std::string &server) {
    Session s(LENTARA_MODULE_PATH);
    const auto types = s.CameraTypes();
    return std::find(types.begin(), types.end(), server) != types.end();
}

#define REQUIRE_SERVER(name)                                                                                 \
    if (!ModuleHas(name)) GTEST_SKIP() << name << " is not in the module"

SceneDesc SmallScene(const std::string &type) {
    SceneDesc scene = DemoScene(48, 24, 2);
    scene.items.front().cam.type = type;
    return scene;
}

std::string BuildError(const SceneDesc &scene) {
    Session s(LENTARA_MODULE_PATH);
    try {
        s.Build(scene);
    } catch (const InputError &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Session, ModuleOffersCameraTypes) {
    Session s(LENTARA_MODULE_PATH);
    const auto types = s.CameraTypes();
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(std::count(types.begin(), types.end(), "VantorPanoramicCam"), 1);
    EXPECT_EQ(s.UserName("VantorPanoramicCam"), "Vantor Panoramic Camera");
}

TEST(Session, MissingModuleIsAClearFailure) {
    try {
        Session s("/nonexistent/Vantor_Lentara.p");
        FAIL() << "loaded a missing module";
    } catch (const RenderError &e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/Vantor_Lentara.p"), std::string::npos);
    }
}

TEST(Session, UnknownNamesListWhatIsValid) {
    const std::string type = BuildError(SmallScene("VantorNoSuchCam"));
    EXPECT_NE(type.find("unknown camera type \"VantorNoSuchCam\""), std::string::npos) << type;
    EXPECT_NE(type.find("VantorPanoramicCam"), std::string::npos) << type;

    SceneDesc scene = SmallScene("VantorPanoramicCam");
    scene.items.front().cam.params = {{"HorizontalFOV", Keyed::Of(1)}};
    const std::string param = BuildError(scene);
    EXPECT_NE(param.find("params.HorizontalFOV: VantorPanoramicCam has no parameter"), std::string::npos) << param;
    EXPECT_NE(param.find("HorizontalFOVradians"), std::string::npos) << param;

    scene.items.front().cam.params.clear();
    scene.items.front().cam.settings = {{"Wobble", SettingValue{false, 1, ""}}};
    const std::string setting = BuildError(scene);
    EXPECT_NE(setting.find("settings.Wobble: no such setting"), std::string::npos) << setting;
}

TEST(Session, PopupSettingsTakeChoiceNamesAndRejectOthers) {
    REQUIRE_SERVER("VantorMultiCam");
    SceneDesc scene = SmallScene("VantorMultiCam");
    scene.items.front().cam.settings = {{"Left Camera", SettingValue{true, 0, "Cam Top"}}};
    {
        Session s(LENTARA_MODULE_PATH);
        s.Build(scene);
        const std::string text = s.PanelText(kDemoCamera);
        EXPECT_NE(text.find("Cam Top"), std::string::npos) << text;
    }
    scene.items.front().cam.settings = {{"Left Camera", SettingValue{true, 0, "Cam Nowhere"}}};
    const std::string bad = BuildError(scene);
    EXPECT_NE(bad.find("\"Cam Nowhere\" is not one of its choices"), std::string::npos) << bad;
    EXPECT_NE(bad.find("\"(none)\""), std::string::npos) << bad;
    scene.items.front().cam.settings = {{"Left Camera", SettingValue{false, 99, ""}}};
    const std::string range = BuildError(scene);
    EXPECT_NE(range.find("choice 99 is out of range"), std::string::npos) << range;
}

bool SameImage(const Image &a, const Image &b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        if (a.pixels[i].r != b.pixels[i].r || a.pixels[i].g != b.pixels[i].g || a.pixels[i].b != b.pixels[i].b)
            return false;
    return true;
}

struct Rendered {
    Image image;
    std::string saved;
};

Rendered RenderAndSave(const SceneDesc &scene) {
    Session s(LENTARA_MODULE_PATH);
    s.Build(scene);
    RenderOptions o;
    o.width = scene.width;
    o.height = scene.height;
    o.samples = scene.samples;
    o.threads = 2;
    s.BeginRender(kDemoCamera);
    Rendered r{s.RenderFrame(kDemoCamera, 0, o), SceneToJson(s.Snapshot())};
    s.EndRender(kDemoCamera);
    return r;
}

TEST(Session, SavedSceneRestoresEachCameraThroughItsBlock) {
    SceneDesc scene = SmallScene("VantorPanoramicCam");
    scene.items.front().cam.params = {{"HorizontalFOVradians", Keyed::Of(2.5)},
                                      {"MaxVerticalFOVradians", Keyed{0.3, {{0.0, 0.3}, {1.0, 0.9}}}}};
    const Rendered original = RenderAndSave(scene);

    const SceneDesc saved = ParseScene(original.saved, "saved.json");
    const ItemDesc &cam = saved.items.front();
    EXPECT_TRUE(cam.cam.params.empty());
    ASSERT_FALSE(cam.cam.block.empty());

    // The block alone brings the parameters back, keys included.
    {
        Session s(LENTARA_MODULE_PATH);
        s.Build(saved);
        standin::EnvelopeStore &envs = s.host().envelopes();
        const LWChanGroupID group = s.host().scene().chanGroup(s.Item(kDemoCamera));
        LWVParmID hfov = envs.find(group, "HorizontalFOVradians");
        LWVParmID vmax = envs.find(group, "MaxVerticalFOVradians");
        ASSERT_TRUE(hfov && vmax);
        EXPECT_DOUBLE_EQ(envs.value(hfov, 0.0), 2.5);
        EXPECT_DOUBLE_EQ(envs.value(vmax, 0.5), 0.6);
    }
    const Rendered again = RenderAndSave(saved);
    EXPECT_TRUE(SameImage(original.image, again.image));
    EXPECT_EQ(again.saved, original.saved);

    // Without the block the image differs: the test would see a lost block.
    SceneDesc plain = saved;
    plain.items.front().cam.block.clear();
    EXPECT_FALSE(SameImage(RenderAndSave(plain).image, original.image));
}

TEST(Session, CompositeChoicesSurviveTheRoundTrip) {
    REQUIRE_SERVER("VantorMultiCam");
    SceneDesc scene = SmallScene("VantorMultiCam");
    scene.items.front().cam.settings = {{"Left Camera", SettingValue{true, 0, "Cam Top"}},
                                        {"Right Camera", SettingValue{true, 0, "Cam Left"}}};
    const Rendered original = RenderAndSave(scene);
    const Rendered again = RenderAndSave(ParseScene(original.saved, "saved.json"));
    EXPECT_TRUE(SameImage(original.image, again.image));
    EXPECT_EQ(again.saved, original.saved);
}

TEST(Session, CorruptBlockGivesAnErrorOrADefinedImage) {
    SceneDesc scene = SmallScene("VantorPanoramicCam");
    scene.items.front().cam.block = {"not", "a", "block"};
    Session s(LENTARA_MODULE_PATH);
    try {
        s.Build(scene);
    } catch (const InputError &e) {
        EXPECT_NE(std::string(e.what()).find("block"), std::string::npos) << e.what();
        return;
    }
    // Taken as it is: the camera must still give finite colours everywhere.
    RenderOptions o;
    o.width = 16;
    o.height = 8;
    o.samples = 1;
    s.BeginRender(kDemoCamera);
    const Image image = s.RenderFrame(kDemoCamera, 0, o);
    s.EndRender(kDemoCamera);
    for (const Rgb &p : image.pixels) ASSERT_TRUE(std::isfinite(p.r) && std::isfinite(p.g) && std::isfinite(p.b));
}

TEST(Session, ModuleCamerasRenderTheSameForAnyThreadCount) {
    // depth of field and motion blur: every sample dimension reaches the camera
    const std::string type = ModuleHas("VantorPerspectiveCam") ? "VantorPerspectiveCam" : "VantorPanoramicCam";
    SceneDesc scene = SmallScene(type);
    scene.width = 40;
    scene.height = 20;
    scene.samples = 3;
    Session s(LENTARA_MODULE_PATH);
    s.Build(scene);
    RenderOptions o;
    o.width = scene.width;
    o.height = scene.height;
    o.samples = scene.samples;
    s.BeginRender(kDemoCamera);
    o.threads = 1;
    const Image one = s.RenderFrame(kDemoCamera, 0, o);
    for (int threads : {2, 5}) {
        o.threads = threads;
        EXPECT_TRUE(SameImage(one, s.RenderFrame(kDemoCamera, 0, o))) << threads << " threads";
    }
    s.EndRender(kDemoCamera);
}

} // namespace
} // namespace lentara::tool
