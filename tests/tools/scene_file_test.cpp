// Scene files: what a good file gives, what each bad one says, and that
// writing and reading again changes nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/scene_file.h"

namespace lentara::tool {
namespace {

const char kGood[] = R"({
  "format": "lentara-scene 1",
  "fps": 25,
  "frames": [2, 5],
  "motion_blur": {"exposure": 0.25, "motion_steps": 3},
  "render": {"width": 64, "height": 32, "samples": 2, "cameras": ["Main"]},
  "environment": {"horizon": [0.5, 0.6, 0.7], "ground": false, "sun_direction": [0, 1, 0]},
  "items": [
    {"name": "Main", "kind": "camera", "position": [1, {"keys": [[0, 2], [1, 4]]}, 3],
     "rotation": [90, 0, 0], "zoom": 2.5, "f_stop": {"keys": [[0, 2.8], [2, 8]]}, "film_size": [0.036, 0.018],
     "resolution": [640, 320], "motion_blur": false, "type": "VantorPanoramicCam",
     "params": {"HorizontalFOVradians": 3.0, "MaxVerticalFOVradians": {"keys": [[0, 0.5], [1, 0.6]]}},
     "settings": {"Size": 1, "Left Camera": "Other", "Show": true}},
    {"name": "Other", "kind": "camera"},
    {"name": "Ball", "kind": "object", "shape": "sphere", "radius": 2, "colour": [1, 0, 0]},
    {"name": "Crate", "kind": "object", "shape": "box", "size": [1, 2, 3], "checker": {"colour": [0, 0, 1], "size": 0.5}},
    {"name": "Aim", "kind": "object", "shape": "none"}
  ]
})";

TEST(SceneFile, GoodFileGivesEveryValue) {
    const SceneDesc s = ParseScene(kGood, "good.json");
    EXPECT_EQ(s.fps, 25);
    EXPECT_EQ(s.frameFirst, 2);
    EXPECT_EQ(s.frameLast, 5);
    EXPECT_EQ(s.exposure, 0.25);
    EXPECT_EQ(s.motionSteps, 3u);
    EXPECT_EQ(s.width, 64);
    EXPECT_EQ(s.samples, 2);
    ASSERT_EQ(s.renderCameras.size(), 1u);
    EXPECT_FALSE(s.environment.ground);
    EXPECT_FLOAT_EQ(s.environment.horizon.g, 0.6f);
    ASSERT_EQ(s.items.size(), 5u);

    const ItemDesc &main = s.items[0];
    EXPECT_TRUE(main.camera);
    EXPECT_EQ(main.position[0].value, 1);
    ASSERT_EQ(main.position[1].keys.size(), 2u);
    EXPECT_EQ(main.position[1].keys[1].time, 1);
    EXPECT_EQ(main.position[1].keys[1].value, 4);
    EXPECT_EQ(main.rotation[0].value, 90);
    EXPECT_EQ(main.cam.zoom->value, 2.5);
    EXPECT_TRUE(main.cam.fStop->keyed());
    EXPECT_EQ(*main.cam.filmHeight, 0.018);
    EXPECT_EQ(*main.cam.resolutionWidth, 640);
    EXPECT_FALSE(main.cam.motionBlur);
    EXPECT_EQ(main.cam.type, "VantorPanoramicCam");
    ASSERT_EQ(main.cam.params.size(), 2u);
    EXPECT_EQ(main.cam.params[0].first, "HorizontalFOVradians");
    EXPECT_EQ(main.cam.params[0].second.value, 3.0);
    EXPECT_TRUE(main.cam.params[1].second.keyed());
    ASSERT_EQ(main.cam.settings.size(), 3u);
    EXPECT_EQ(main.cam.settings[0].second.number, 1);
    EXPECT_TRUE(main.cam.settings[1].second.isText);
    EXPECT_EQ(main.cam.settings[1].second.text, "Other");
    EXPECT_EQ(main.cam.settings[2].second.number, 1);

    EXPECT_EQ(s.items[2].shape.kind, ShapeKind::Sphere);
    EXPECT_EQ(s.items[2].shape.radius, 2);
    EXPECT_EQ(s.items[3].shape.kind, ShapeKind::Box);
    EXPECT_EQ(s.items[3].shape.size.z, 3);
    EXPECT_TRUE(s.items[3].shape.material.checker);
    EXPECT_FALSE(s.items[4].hasShape);
}

TEST(SceneFile, WriteThenReadChangesNothing) {
    const SceneDesc first = ParseScene(kGood, "good.json");
    const std::string text = SceneToJson(first);
    const SceneDesc second = ParseScene(text, "written.json");
    EXPECT_EQ(SceneToJson(second), text);
    EXPECT_EQ(second.items[0].cam.params[1].second.keys[1].value, 0.6);
    EXPECT_EQ(second.items[0].cam.settings[1].second.text, "Other");
    EXPECT_FLOAT_EQ(second.environment.horizon.b, 0.7f);
}

std::string ErrorOf(const std::string &text) {
    try {
        ParseScene(text, "bad.json");
    } catch (const InputError &e) {
        return e.what();
    }
    return "(no error)";
}

const char kCamera[] = R"({"name": "C", "kind": "camera"})";

std::string WithItems(const std::string &items) { return std::string("{\"items\": [") + kCamera + items + "]}"; }

TEST(SceneFile, MalformedJsonGivesLineAndColumn) {
    const std::string text = "{\n  \"fps\": 24,\n  \"items\": [ oops ]\n}\n";
    const std::string e = ErrorOf(text);
    EXPECT_NE(e.find("bad.json:3:14: malformed JSON"), std::string::npos) << e;
    const std::string truncated = ErrorOf("{\"items\": [\n");
    EXPECT_NE(truncated.find("bad.json:2:"), std::string::npos) << truncated;
}

TEST(SceneFile, BadValuesNameTheKeyAndTheReason) {
    const struct {
        std::string text, expected;
    } cases[] = {
        {R"({"fps": "fast", "items": [{"name": "C", "kind": "camera"}]})", "fps: expected a number, found a string"},
        {R"({"fps": 0, "items": [{"name": "C", "kind": "camera"}]})", "fps: must be greater than 0"},
        {WithItems(R"(, {"name": "B", "kind": "object", "radius": -1})"), "items[1].radius: must be greater than 0"},
        {WithItems(R"(, {"name": "B", "kind": "object", "colr": [1, 0, 0]})"), "items[1].colr: unknown key"},
        {WithItems(R"(, {"name": "B", "kind": "object", "colour": [2, 0, 0]})"), "items[1].colour[0]: colour components lie in 0..1"},
        {WithItems(R"(, {"name": "C", "kind": "object"})"), "items[1].name: another item is already called \"C\""},
        {WithItems(R"(, {"name": "B", "kind": "lamp"})"), "items[1].kind: must be \"camera\" or \"object\""},
        {WithItems(R"(, {"name": "B", "kind": "object", "shape": "cone"})"), "items[1].shape: must be \"sphere\", \"box\""},
        {WithItems(R"(, {"name": "B", "kind": "object", "position": [0, {"keys": [[1, 0], [1, 2]]}, 0]})"),
         "items[1].position[1].keys[1]: key times must increase"},
        {WithItems(R"(, {"name": "B", "kind": "object", "position": [0, 1]})"), "items[1].position: expected an array of three"},
        {WithItems(R"(, {"name": "D", "kind": "camera", "type": "VantorPanoramicCam", "settings": {"Size": 1.5}})"),
         "items[1].settings.Size: expected an integer"},
        {WithItems(R"(, {"name": "D", "kind": "camera", "params": {"ZoomFactor": 1}})"), "items[1].params: parameters need a \"type\""},
        {WithItems(R"(, {"name": "D", "kind": "camera", "resolution": [0, 10]})"), "items[1].resolution[0]: must be between 1 and"},
        {R"({"items": [{"name": "B", "kind": "object"}]})", "items: the scene has no camera item"},
        {R"({"items": {}})", "items: expected an array, found an object"},
        {R"({"frames": [5, 2], "items": [{"name": "C", "kind": "camera"}]})", "frames: the last frame comes before the first"},
        {R"({"motion_blur": {"exposure": 2}, "items": [{"name": "C", "kind": "camera"}]})", "motion_blur.exposure: is a fraction"},
        {R"({"render": {"cameras": ["Nope"]}, "items": [{"name": "C", "kind": "camera"}]})",
         "render.cameras[0]: no camera item is called \"Nope\""},
        {R"({"render": {"samples": 0}, "items": [{"name": "C", "kind": "camera"}]})", "render.samples: must be between 1 and 4096"},
        {R"({"format": "other 2", "items": [{"name": "C", "kind": "camera"}]})", "format: unsupported format"},
        {R"([1, 2])", "(top level): expected an object"},
        // integers beyond 64 bits must not wrap into the allowed range
        {WithItems(R"(, {"name": "D", "kind": "camera", "resolution": [18446744073709551615, 10]})"),
         "items[1].resolution[0]: must be between 1 and 65536, found 18446744073709551615"},
        {WithItems(R"(, {"name": "D", "kind": "camera", "type": "VantorPanoramicCam", "settings": {"Size": 18446744073709551615}})"),
         "items[1].settings.Size: must be between -2147483648 and 2147483647"},
    };
    for (const auto &c : cases) {
        const std::string e = ErrorOf(c.text);
        EXPECT_NE(e.find(c.expected), std::string::npos) << "input: " << c.text << "\nerror: " << e;
        EXPECT_EQ(e.rfind("bad.json: ", 0), 0u) << e;
    }
}

TEST(SceneFile, MissingFileIsAnInputError) {
    EXPECT_THROW(LoadScene("/nonexistent/scene.json"), InputError);
}

TEST(SceneFile, EnvironmentImageLiesBesideTheSceneFile) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("lentara-env-scene-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "s.json") << R"({"environment": {"file": "sky.exr", "rotation": [90, 0, 0], "intensity": 2},
                                         "items": [{"name": "C", "kind": "camera"}]})";
    const SceneDesc s = LoadScene((dir / "s.json").string());
    EXPECT_EQ(s.environment.file, (dir / "sky.exr").string());
    EXPECT_EQ(s.environment.rotation[0], 90.0);
    EXPECT_EQ(s.environment.intensity, 2.0);
    EXPECT_NE(ErrorOf(R"({"environment": {"intensity": -1}, "items": [{"name": "C", "kind": "camera"}]})")
                  .find("environment.intensity: must be 0 or more"),
              std::string::npos);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace lentara::tool
