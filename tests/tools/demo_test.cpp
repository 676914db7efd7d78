// End to end: the demo rendered at a small size through the built module,
// checked on the PNG files it writes; and the render command's input errors.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tools/commands.h"
#include "tools/image.h"
#include "tools/session.h"

namespace lentara::tool {
namespace {

namespace fs = std::filesystem;

struct Png {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t *at(int x, int y) const { return &rgb[3 * (static_cast<std::size_t>(y) * width + x)]; }
    bool black(int x, int y) const { return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0; }
};

Png Read(const fs::path &path) {
    Png p;
    const std::string problem = ReadPng(path.string(), p.width, p.height, p.rgb);
    EXPECT_TRUE(problem.empty()) << problem;
    return p;
}

// Mean absolute difference of two columns, 0..255.
double ColumnDifference(const Png &p, int a, int b) {
    double sum = 0;
    for (int y = 0; y < p.height; ++y)
        for (int c = 0; c < 3; ++c) sum += std::abs(int(p.at(a, y)[c]) - int(p.at(b, y)[c]));
    return sum / (3.0 * p.height);
}

class DemoRender : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new fs::path(fs::temp_directory_path() / ("lentara-demo-test-" + std::to_string(getpid())));
        DemoOptions o;
        o.outDir = dir_->string();
        o.width = 128;
        o.height = 64;
        o.samples = 1;
        o.common.modules = {LENTARA_MODULE_PATH};
        std::ostringstream out, err;
        code_ = RunDemo(o, out, err);
        output_ = new std::string(out.str() + err.str());
        Session s(LENTARA_MODULE_PATH);
        types_ = new std::vector<std::string>(s.CameraTypes());
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(*dir_, ec);
        delete dir_;
        delete output_;
        delete types_;
    }
    bool Has(const std::string &server) const {
        return std::find(types_->begin(), types_->end(), server) != types_->end();
    }
    static fs::path *dir_;
    static std::string *output_;
    static std::vector<std::string> *types_;
    static int code_;
};

fs::path *DemoRender::dir_ = nullptr;
std::string *DemoRender::output_ = nullptr;
std::vector<std::string> *DemoRender::types_ = nullptr;
int DemoRender::code_ = -1;

TEST_F(DemoRender, EveryCameraTypeAndTheContactSheetAreWritten) {
    ASSERT_EQ(code_, kExitOk) << *output_;
    ASSERT_FALSE(types_->empty());
    for (const std::string &type : *types_) {
        const Png p = Read(*dir_ / (type + ".png"));
        EXPECT_EQ(p.width, 128) << type;
        EXPECT_EQ(p.height, 64) << type;
        EXPECT_NE(output_->find(type + ".png"), std::string::npos) << "not reported: " << type;
        // something was seen: not a single flat colour
        std::set<int> colours;
        for (int y = 0; y < p.height; y += 4)
            for (int x = 0; x < p.width; x += 4) colours.insert(p.at(x, y)[0] << 16 | p.at(x, y)[1] << 8 | p.at(x, y)[2]);
        EXPECT_GT(colours.size(), 20u) << type;
    }
    const Png sheet = Read(*dir_ / "contact-sheet.png");
    EXPECT_GT(sheet.width, 128);
    EXPECT_GT(sheet.height, 64);
    EXPECT_NE(output_->find("rays/s"), std::string::npos);
    // no temporary files left behind
    for (const auto &entry : fs::directory_iterator(*dir_))
        EXPECT_EQ(entry.path().extension(), ".png") << entry.path();
}

TEST_F(DemoRender, PanoramaEdgesJoin) {
    if (!Has("VantorPanoramicCam")) GTEST_SKIP() << "VantorPanoramicCam is not in the module";
    const Png p = Read(*dir_ / "VantorPanoramicCam.png");
    // A full turn: the first and last columns are neighbours in the world.
    // They differ no more than neighbouring columns do on average.
    double neighbours = 0;
    for (int x = 0; x + 1 < p.width; ++x) neighbours += ColumnDifference(p, x, x + 1);
    neighbours /= p.width - 1;
    const double edges = ColumnDifference(p, 0, p.width - 1);
    const double across = ColumnDifference(p, 0, p.width / 2);
    EXPECT_LT(edges, 2.0 * neighbours + 2.0) << "edges " << edges << " vs neighbours " << neighbours;
    EXPECT_LT(edges, across * 0.5) << "edges " << edges << " vs opposite " << across;
}

TEST_F(DemoRender, SkyboxEmptyCellsAreBackground) {
    if (!Has("VantorSkyboxCam")) GTEST_SKIP() << "VantorSkyboxCam is not in the module";
    const Png p = Read(*dir_ / "VantorSkyboxCam.png");
    // The frame is a 4 x 3 grid of cells; the unfolded cube fills six of them.
    int empty = 0, filled = 0;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            const int x0 = col * p.width / 4, y0 = row * p.height / 3;
            const int x1 = (col + 1) * p.width / 4, y1 = (row + 1) * p.height / 3;
            int blackPixels = 0, total = 0;
            for (int y = y0 + 1; y < y1 - 1; ++y)
                for (int x = x0 + 1; x < x1 - 1; ++x, ++total) blackPixels += p.black(x, y);
            if (blackPixels == total) ++empty;
            else if (blackPixels == 0) ++filled;
        }
    EXPECT_EQ(empty, 6);
    EXPECT_EQ(filled, 6);
}

TEST_F(DemoRender, DualHalvesDiffer) {
    if (!Has("VantorMultiCam")) GTEST_SKIP() << "VantorMultiCam is not in the module";
    const Png p = Read(*dir_ / "VantorMultiCam.png");
    double diff = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width / 2; ++x)
            for (int c = 0; c < 3; ++c) diff += std::abs(int(p.at(x, y)[c]) - int(p.at(x + p.width / 2, y)[c]));
    diff /= 3.0 * p.height * (p.width / 2);
    EXPECT_GT(diff, 10.0);
    // both halves see the scene (the demo picks a camera for each)
    EXPECT_FALSE(p.black(p.width / 4, p.height / 2));
    EXPECT_FALSE(p.black(3 * p.width / 4, p.height / 2));
}

fs::path WriteScene(const std::string &name, const std::string &text) {
    const fs::path path = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()) + ".json");
    std::ofstream(path) << text;
    return path;
}

int Render(const fs::path &scene, const fs::path &outDir, std::string &messages, const std::string &save = "") {
    RenderCommandOptions o;
    o.scene = scene.string();
    o.outDir = outDir.string();
    o.saveScene = save;
    o.common.modules = {LENTARA_MODULE_PATH};
    o.common.threads = 2;
    std::ostringstream out, err;
    const int code = RunRender(o, out, err);
    messages = out.str() + err.str();
    return code;
}

TEST(RenderCommand, InputErrorsExitWithTwoBeforeRendering) {
    const fs::path out = fs::temp_directory_path() / ("lentara-render-test-" + std::to_string(getpid()));
    std::string messages;
    const fs::path malformed = WriteScene("malformed", "{\n  \"items\": [\n    {\"name\": \"C\" \"kind\": \"camera\"}\n  ]\n}\n");
    EXPECT_EQ(Render(malformed, out, messages), kExitInputError);
    // line 3, at the unexpected "kind" (columns 18 to 23)
    const std::size_t at = messages.find(".json:3:");
    ASSERT_NE(at, std::string::npos) << messages;
    const int column = std::atoi(messages.c_str() + at + 8);
    EXPECT_GE(column, 18) << messages;
    EXPECT_LE(column, 23) << messages;
    EXPECT_NE(messages.find("malformed JSON"), std::string::npos) << messages;

    const fs::path unknown = WriteScene("unknown", R"({"items": [{"name": "C", "kind": "camera", "type": "Nope"}]})");
    EXPECT_EQ(Render(unknown, out, messages), kExitInputError);
    EXPECT_NE(messages.find("unknown camera type \"Nope\"; the loaded modules offer: "), std::string::npos) << messages;
    EXPECT_NE(messages.find("VantorPanoramicCam"), std::string::npos) << messages;
    EXPECT_FALSE(fs::exists(out)) << "output folder made for a scene that cannot render";

    const fs::path huge = WriteScene("huge", R"({"items": [{"name": "C", "kind": "camera", "zoom": 1e999}]})");
    EXPECT_EQ(Render(huge, out, messages), kExitInputError);
    EXPECT_NE(messages.find(".json:1:52: the number 1e999 is too large"), std::string::npos) << messages;

    // an output folder that cannot be made: a path below a plain file
    const fs::path good = WriteScene("good", R"({"render": {"width": 8, "height": 4, "samples": 1},
        "items": [{"name": "C", "kind": "camera", "type": "VantorPanoramicCam"}]})");
    EXPECT_EQ(Render(good, good / "sub", messages), kExitInputError);
    EXPECT_NE(messages.find("cannot create the output folder"), std::string::npos) << messages;

    EXPECT_FALSE(fs::exists(out / "C_VantorPanoramicCam_0000.png"));
    EXPECT_EQ(Render(good, out, messages), kExitOk) << messages;
    EXPECT_TRUE(fs::exists(out / "C_VantorPanoramicCam_0000.png"));

    std::error_code ec;
    fs::remove_all(out, ec);
    for (const fs::path &p : {malformed, unknown, good}) fs::remove(p, ec);
}

TEST(RenderCommand, SaveSceneRoundTripGivesTheSameFilesAndImages) {
    const fs::path dir = fs::temp_directory_path() / ("lentara-roundtrip-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path scene = WriteScene("roundtrip", R"({"render": {"width": 24, "height": 12, "samples": 2},
        "frames": [0, 1],
        "items": [{"name": "C", "kind": "camera", "position": [0, 1, {"keys": [[0, 0], [1, 3]]}],
                   "type": "VantorPanoramicCam", "params": {"HorizontalFOVradians": 3.5}},
                  {"name": "B", "kind": "object", "position": [0, 1, 4], "colour": [1, 0.2, 0.2]}]})");
    std::string messages;
    const fs::path saved1 = dir / "saved1.json", saved2 = dir / "saved2.json";
    ASSERT_EQ(Render(scene, dir / "a", messages, saved1.string()), kExitOk) << messages;
    ASSERT_EQ(Render(saved1, dir / "b", messages, saved2.string()), kExitOk) << messages;
    auto slurp = [](const fs::path &p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    };
    EXPECT_EQ(slurp(saved1), slurp(saved2));
    // Parameters by channel name, no opaque block.
    EXPECT_NE(slurp(saved1).find("\"HorizontalFOVradians\": 3.5"), std::string::npos) << slurp(saved1);
    EXPECT_EQ(slurp(saved1).find("\"block\""), std::string::npos);
    // The scene file itself is replaced only with --force.
    const std::string before = slurp(scene);
    EXPECT_EQ(Render(scene, dir / "c", messages, scene.string()), kExitInputError);
    EXPECT_NE(messages.find("--force"), std::string::npos) << messages;
    EXPECT_EQ(slurp(scene), before);
    for (const char *frame : {"C_VantorPanoramicCam_0000.png", "C_VantorPanoramicCam_0001.png"}) {
        ASSERT_TRUE(fs::exists(dir / "a" / frame)) << frame;
        EXPECT_EQ(slurp(dir / "a" / frame), slurp(dir / "b" / frame)) << frame;
    }
    EXPECT_NE(slurp(dir / "a" / "C_VantorPanoramicCam_0000.png"), slurp(dir / "a" / "C_VantorPanoramicCam_0001.png"));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::remove(scene, ec);
}

} // namespace
} // namespace lentara::tool

namespace lentara::tool {
namespace {

TEST(Examples, EveryCameraTypeHasAnExampleThatRenders) {
    std::set<std::string> covered;
    int rendered = 0;
    for (const auto &entry : fs::directory_iterator(LENTARA_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".json") continue;
        const SceneDesc scene = LoadScene(entry.path().string());
        for (const ItemDesc &item : scene.items)
            if (item.camera && !item.cam.type.empty()) covered.insert(item.cam.type);
        const fs::path out = fs::temp_directory_path() / ("lentara-example-" + std::to_string(getpid()));
        RenderCommandOptions o;
        o.scene = entry.path().string();
        o.outDir = out.string();
        o.width = 32;
        o.height = 16;
        o.samples = 1;
        o.common.modules = {LENTARA_MODULE_PATH};
        std::ostringstream log;
        EXPECT_EQ(RunRender(o, log, log), kExitOk) << entry.path() << "\n" << log.str();
        ++rendered;
        std::error_code ec;
        fs::remove_all(out, ec);
    }
    EXPECT_GT(rendered, 0);
    Session s(LENTARA_MODULE_PATH);
    for (const std::string &type : s.CameraTypes()) EXPECT_TRUE(covered.count(type)) << "no example uses " << type;
}

} // namespace
} // namespace lentara::tool
