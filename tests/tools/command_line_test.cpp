// The command line's edges: number limits, messages that give a reason,
// `info --type`, `rays` from a scene with --set and streamed JSON, the lens
// sample only for types with depth of field, and several modules at once.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tools/commands.h"
#include "tools/demo.h"
#include "tools/session.h"

namespace lentara::tool {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, NumbersOutOfRangeNameTheLimit) {
    int w = 0, h = 0, a = 0, b = 0;
    EXPECT_EQ(ParseSize("640x360", w, h), "");
    EXPECT_EQ(w * 1000 + h, 640360);
    for (const char *bad : {"100000x100000", "4294967360x16", "16x0", "x16", "16x16x", "16"}) {
        const std::string problem = ParseSize(bad, w, h);
        EXPECT_FALSE(problem.empty()) << bad;
        if (std::string(bad).find("0000") != std::string::npos) {
            EXPECT_NE(problem.find(std::to_string(kMaxSide)), std::string::npos) << problem;
        }
    }
    EXPECT_EQ(w * 1000 + h, 640360) << "a refused size changed the values";
    EXPECT_EQ(ParseFrames("-5--2", a, b), "");
    EXPECT_EQ(a * 10 + b, -52);
    EXPECT_EQ(ParseFrames("7", a, b), "");
    EXPECT_EQ(a * 10 + b, 77);
    for (const char *bad : {"2147483647", "99999999999", "0-1000001", "3-1", "1-", "a-b"})
        EXPECT_FALSE(ParseFrames(bad, a, b).empty()) << bad;
    EXPECT_NE(ParseFrames("99999999999", a, b).find(std::to_string(kMaxFrame)), std::string::npos);
}

TEST(CommandLine, DefaultsAndMessagesGiveReasons) {
    EXPECT_EQ(DefaultRenderDir("examples/dual.json"), (fs::path("out") / "render" / "dual").string());
    EXPECT_NE(DefaultRenderDir("a/fourup.json"), DefaultRenderDir("b/dual.json"));
    const std::vector<std::string> modules = DefaultModulePaths();
    ASSERT_FALSE(modules.empty());
    EXPECT_EQ(fs::path(modules.front()).filename(), fs::path(LENTARA_MODULE_PATH).filename());

    // a missing module: said once, with the path
    try {
        Session s(std::vector<std::string>{LENTARA_MODULE_PATH, "/nonexistent/x.p"});
        ADD_FAILURE() << "loaded a missing module";
    } catch (const RenderError &e) {
        EXPECT_EQ(std::string(e.what()), "no module file at /nonexistent/x.p");
    }
    // text for a setting that is not a popup
    SceneDesc scene = DemoScene(16, 8, 1);
    scene.items.front().cam.type = "VantorStereoCam";
    scene.items.front().cam.settings = {{"Show Convergence Plane", SettingValue{true, 0, "yes"}}};
    Session s(LENTARA_MODULE_PATH);
    try {
        s.Build(scene);
        ADD_FAILURE() << "took \"yes\"";
    } catch (const InputError &e) {
        EXPECT_NE(std::string(e.what()).find("takes a number or true/false"), std::string::npos) << e.what();
    }
}

TEST(CommandLine, SaveSceneIntoAFolderSaysWhy) {
    const fs::path dir = fs::temp_directory_path() / ("lentara-save-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path scene = dir / "s.json";
    std::ofstream(scene) << R"({"render": {"width": 4, "height": 2, "samples": 1},
        "items": [{"name": "C", "kind": "camera", "type": "VantorPanoramicCam"}]})";
    RenderCommandOptions o;
    o.scene = scene.string();
    o.outDir = (dir / "out").string();
    o.saveScene = dir.string();
    o.common.modules = {LENTARA_MODULE_PATH};
    std::ostringstream out, err;
    EXPECT_EQ(RunRender(o, out, err), kExitInputError);
    EXPECT_NE(err.str().find("is a folder"), std::string::npos) << err.str();
    fs::remove_all(dir);
}

TEST(CommandLine, InfoForOneType) {
    InfoOptions o;
    o.common.modules = {LENTARA_MODULE_PATH};
    o.type = "VantorPanoramicCam";
    std::ostringstream out, err;
    ASSERT_EQ(RunInfo(o, out, err), kExitOk) << err.str();
    EXPECT_NE(out.str().find("== VantorPanoramicCam"), std::string::npos);
    EXPECT_EQ(out.str().find("== VantorAdvPanCam"), std::string::npos);
    o.type = "Nope";
    EXPECT_EQ(RunInfo(o, out, err), kExitInputError);
}

TEST(CommandLine, RaysFromASceneWithSettingsStreamValidJson) {
    const fs::path scene = fs::temp_directory_path() / ("lentara-rays-" + std::to_string(getpid()) + ".json");
    std::ofstream(scene) << R"({"items": [{"name": "Other", "kind": "camera"},
        {"name": "Pano", "kind": "camera", "type": "VantorPanoramicCam"}]})";
    RaysOptions o;
    o.common.modules = {LENTARA_MODULE_PATH};
    o.scene = scene.string();
    // by panel label in degrees, and by channel name in radians
    o.sets = {"Horizontal FOV angle=90", "MaxVerticalFOVradians=0.5"};
    o.columns = 3;
    o.rows = 2;
    o.format = "json";
    std::ostringstream out, err;
    ASSERT_EQ(RunRays(o, out, err), kExitOk) << err.str();
    const nlohmann::json j = nlohmann::json::parse(out.str());
    EXPECT_EQ(j["camera"], "Pano");
    ASSERT_EQ(j["rays"].size(), 6u);
    // top-right corner: azimuth 45 degrees, elevation 0.5 rad
    const nlohmann::json &d = j["rays"][2]["direction"];
    EXPECT_EQ(j["rays"][2]["column"], 2);
    EXPECT_EQ(j["rays"][2]["row"], 0);
    EXPECT_NEAR(d[1].get<double>(), std::sin(0.5), 1e-6);
    EXPECT_NEAR(d[0].get<double>(), d[2].get<double>(), 1e-6);

    o.sets = {"NoSuchThing=1"};
    EXPECT_EQ(RunRays(o, out, err), kExitInputError);
    EXPECT_NE(err.str().find("HorizontalFOVradians"), std::string::npos) << err.str();
    fs::remove(scene);
}

// Only a camera type that takes part in depth of field gets the lens sample.
TEST(CommandLine, LensSampleFollowsTheDepthOfFieldFlag) {
    auto render = [](const std::string &type, double fStop) {
        SceneDesc scene = DemoScene(48, 24, 4);
        scene.items.front().cam.type = type;
        scene.items.front().cam.fStop = Keyed::Of(fStop);
        scene.items.front().cam.motionBlur = false;
        Session s(LENTARA_MODULE_PATH);
        s.Build(scene);
        RenderOptions o;
        o.width = 48;
        o.height = 24;
        o.samples = 4;
        s.BeginRender(kDemoCamera);
        Image image = s.RenderFrame(kDemoCamera, 0, o);
        s.EndRender(kDemoCamera);
        return image.pixels;
    };
    auto same = [](const std::vector<Rgb> &a, const std::vector<Rgb> &b) {
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b) return false;
        return true;
    };
    EXPECT_TRUE(same(render("VantorPerspectiveNoDOFCam", 0.1), render("VantorPerspectiveNoDOFCam", 8)));
    EXPECT_FALSE(same(render("VantorPerspectiveCam", 0.1), render("VantorPerspectiveCam", 8)));
}

TEST(CommandLine, TypesAreLookedUpAcrossModules) {
    Session one(LENTARA_MODULE_PATH);
    Session two(std::vector<std::string>{LENTARA_MODULE_PATH, LENTARA_MODULE_PATH});
    EXPECT_EQ(two.modules().size(), 2u);
    EXPECT_EQ(two.CameraTypes(), one.CameraTypes()) << "a type offered twice is listed once";
    EXPECT_EQ(two.ModuleOf("VantorPanoramicCam"), two.modules().front());
    EXPECT_EQ(two.ModuleOf("Nope"), nullptr);
}

} // namespace
} // namespace lentara::tool
