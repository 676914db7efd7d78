// `lentara reproject` and the image files under it, on panoramas the tests
// make: the full-sphere round trip, directions landing on the pixels the
// projections put them, alpha where a camera gives no ray, HDR values kept,
// no aliasing when a panorama is shrunk, the same image for any thread count,
// and no temporary file left by an interrupt.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "tools/commands.h"
#include "tools/image.h"
#include "tools/reproject.h"
#include "tools/world.h"

namespace lentara::tool {
namespace {

namespace fs = std::filesystem;

class Reproject : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lentara-reproject-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // An equirectangular image whose pixels take `colour` of their centre's
    // direction (centre column +Z, right toward +X, top row +Y).
    std::string Panorama(const std::string &name, int w, int h, const std::function<Rgb(V3)> &colour) {
        Image image(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double lon = ((x + 0.5) / w - 0.5) * 2 * M_PI, lat = (0.5 - (y + 0.5) / h) * M_PI;
                image.at(x, y) = colour({std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)});
            }
        const std::string path = (dir_ / name).string();
        EXPECT_EQ(WriteImage(path, image, SampleDepth::Float), "");
        return path;
    }

    // Runs reproject; the image read back on success.
    int Run(ReprojectOptions o, Image *result = nullptr) {
        o.modules = {LENTARA_MODULE_PATH};
        if (o.output.empty()) o.output = (dir_ / "out.exr").string();
        std::ostringstream out, err;
        const int code = RunReproject(o, out, err);
        messages_ = out.str() + err.str();
        if (code == kExitOk && result) {
            EXPECT_EQ(ReadImage(o.output, *result), "");
        }
        return code;
    }

    static ReprojectOptions Options(const std::string &input, const std::string &type, int w, int h) {
        ReprojectOptions o;
        o.input = input;
        o.type = type;
        o.width = w;
        o.height = h;
        return o;
    }

    fs::path dir_;
    std::string messages_;
};

V3 Decode(Rgb c) { return Unit(V3{2 * c.r - 1.0, 2 * c.g - 1.0, 2 * c.b - 1.0}); }
Rgb Encode(V3 d) {
    return {static_cast<float>(0.5 + 0.5 * d.x), static_cast<float>(0.5 + 0.5 * d.y), static_cast<float>(0.5 + 0.5 * d.z)};
}
double DegreesBetween(V3 a, V3 b) { return std::acos(std::clamp(Dot(Unit(a), Unit(b)), -1.0, 1.0)) * 180 / M_PI; }

TEST_F(Reproject, FullSpherePanoramicGivesThePanoramaBack) {
    // Waves of 16 pixels across and down.
    auto pattern = [](V3 d) {
        const double lon = std::atan2(d.x, d.z), lat = std::asin(d.y);
        return Rgb{static_cast<float>(0.5 + 0.4 * std::sin(16 * lon)), static_cast<float>(0.5 + 0.4 * std::sin(8 * lat)),
                   static_cast<float>(0.5 + 0.4 * std::cos(lon - lat))};
    };
    const std::string input = Panorama("pattern.exr", 256, 128, pattern);
    Image source, back;
    ASSERT_EQ(ReadImage(input, source), "");
    ReprojectOptions o = Options(input, "VantorPanoramicCam", 256, 128);
    o.sets = {"Upper Vertical FOV angle=90", "Lower Vertical FOV angle=-90"}; // panel labels, degrees
    ASSERT_EQ(Run(o, &back), kExitOk) << messages_;
    double sum = 0, worst = 0;
    for (std::size_t i = 0; i < source.pixels.size(); ++i)
        for (auto m : {&Rgb::r, &Rgb::g, &Rgb::b}) {
            const double e = std::fabs(source.pixels[i].*m - back.pixels[i].*m);
            sum += e;
            worst = std::max(worst, e);
        }
    // Half a pixel of shift across or down gives a mean error of 0.01 or more.
    EXPECT_LT(sum / (3.0 * source.pixels.size()), 0.003);
    EXPECT_LT(worst, 0.04);
}

TEST_F(Reproject, DirectionsLandOnTheirPixelsAndEmptyCellsAreTransparent) {
    const std::string input = Panorama("directions.exr", 512, 256, Encode);
    // A pinhole: direction (film x, film y, zoom * film height / 2).
    Image view;
    ReprojectOptions o = Options(input, "VantorPerspectiveNoDOFCam", 64, 48);
    o.sets = {"ZoomFactor=2"};
    ASSERT_EQ(Run(o, &view), kExitOk) << messages_;
    const double filmH = 0.024, filmW = filmH * 64 / 48;
    for (auto [px, py] : {std::pair{0, 0}, {63, 0}, {32, 24}, {10, 40}, {63, 47}}) {
        const V3 expected{((px + 0.5) / 64 - 0.5) * filmW, (0.5 - (py + 0.5) / 48) * filmH, 2 * filmH / 2};
        EXPECT_LT(DegreesBetween(Decode(view.at(px, py)), expected), 1.0) << px << "," << py;
    }
    // The skybox cross: 4 x 3 cells of 64 pixels, six of them views.
    Image cross;
    ASSERT_EQ(Run(Options(input, "VantorSkyboxCam", 256, 192), &cross), kExitOk) << messages_;
    struct Cell {
        int column, row;
        V3 centre;
    };
    for (const Cell &c : {Cell{0, 1, {-1, 0, 0}}, Cell{1, 1, {0, 0, 1}}, Cell{2, 1, {1, 0, 0}}, Cell{3, 1, {0, 0, -1}},
                          Cell{1, 0, {0, 1, 0}}, Cell{1, 2, {0, -1, 0}}}) {
        const int x = c.column * 64 + 32, y = c.row * 64 + 32;
        EXPECT_LT(DegreesBetween(Decode(cross.at(x, y)), c.centre), 2.0) << c.column << "," << c.row;
        EXPECT_EQ(cross.alphaAt(x, y), 1.0f);
    }
    for (auto [x, y] : {std::pair{5, 5}, {250, 5}, {130, 180}, {250, 186}}) {
        EXPECT_EQ(cross.alphaAt(x, y), 0.0f) << x << "," << y;
        EXPECT_EQ(cross.at(x, y).g, 0.0f);
    }
    // Formats without alpha show black there.
    Image jpeg;
    o = Options(input, "VantorSkyboxCam", 256, 192);
    o.output = (dir_ / "cross.jpg").string();
    ASSERT_EQ(Run(o, &jpeg), kExitOk) << messages_;
    EXPECT_TRUE(jpeg.alpha.empty());
    EXPECT_LT(jpeg.at(5, 5).r + jpeg.at(5, 5).g + jpeg.at(5, 5).b, 0.01f);
}

TEST_F(Reproject, ValuesAboveOneSurviveInFloatFilesAndClampInIntegerOnes) {
    const std::string input = Panorama("bright.exr", 64, 32, [](V3) { return Rgb{8.0f, 2.0f, 0.25f}; });
    for (const char *bits : {"half", "float"}) {
        ReprojectOptions o = Options(input, "VantorPanoramicCam", 32, 16);
        ASSERT_TRUE(ParseSampleDepth(bits, o.depth));
        Image image;
        ASSERT_EQ(Run(o, &image), kExitOk) << messages_;
        EXPECT_NEAR(image.at(16, 8).r, 8.0f, 0.02f) << bits;
        EXPECT_NEAR(image.at(3, 2).g, 2.0f, 0.01f) << bits;
        EXPECT_NEAR(image.at(30, 14).b, 0.25f, 0.002f) << bits;
    }
    ReprojectOptions o = Options(input, "VantorPanoramicCam", 32, 16);
    o.output = (dir_ / "bright.png").string();
    o.depth = SampleDepth::Uint16;
    Image png;
    ASSERT_EQ(Run(o, &png), kExitOk) << messages_;
    EXPECT_EQ(png.at(16, 8).r, 1.0f);
    EXPECT_NEAR(png.at(16, 8).b, 0.25f, 0.001f); // the sRGB transfer undone on reading
    o.depth = SampleDepth::Half;
    EXPECT_EQ(Run(o), kExitInputError); // PNG holds no half floats
}

TEST_F(Reproject, AShrunkPanoramaDoesNotAlias) {
    // Stripes one pixel wide: every pixel of a small view covers many, so
    // each should be their average, 0.5, not a random stripe.
    const std::string input = Panorama("stripes.exr", 2048, 1024, [](V3 d) {
        const int column = static_cast<int>(std::floor((std::atan2(d.x, d.z) / (2 * M_PI) + 0.5) * 2048));
        const float v = column % 2 ? 1.0f : 0.0f;
        return Rgb{v, v, v};
    });
    ReprojectOptions o = Options(input, "VantorPanoramicCam", 32, 16);
    Image image;
    ASSERT_EQ(Run(o, &image), kExitOk) << messages_;
    for (int y = 4; y < 12; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_NEAR(image.at(x, y).g, 0.5f, 0.1f) << x << "," << y;
}

TEST_F(Reproject, FootprintsAtThePolesStayNearThePoles) {
    // A bright spot 55 degrees below the north pole must not reach the rows
    // around the poles, where a footprint spans every longitude.
    const std::string input = Panorama("spot.exr", 512, 256, [](V3 d) {
        const float v = Dot(d, Unit(V3{0.5, 0.6, 0.6})) > 0.999 ? 1000.0f : 0.5f;
        return Rgb{v, v, v};
    });
    ReprojectOptions o = Options(input, "VantorPanoramicCam", 128, 64);
    o.sets = {"Upper Vertical FOV angle=90", "Lower Vertical FOV angle=-90"};
    o.samples = 4;
    Image image;
    ASSERT_EQ(Run(o, &image), kExitOk) << messages_;
    for (int y : {0, 1, 62, 63})
        for (int x = 0; x < 128; ++x) ASSERT_NEAR(image.at(x, y).r, 0.5f, 0.05f) << x << "," << y;
}

TEST_F(Reproject, TheImageIsTheSameForAnyThreadCount) {
    const std::string input = Panorama("directions.exr", 256, 128, Encode);
    for (int samples : {1, 3}) {
        Image first;
        for (int threads : {1, 2, 3}) {
            ReprojectOptions o = Options(input, "VantorFisheyeCam", 61, 37);
            o.samples = samples;
            o.threads = threads;
            Image image;
            ASSERT_EQ(Run(o, &image), kExitOk) << messages_;
            if (threads == 1) {
                first = image;
                continue;
            }
            for (std::size_t i = 0; i < image.pixels.size(); ++i)
                ASSERT_EQ(image.pixels[i].r, first.pixels[i].r) << i << " with " << threads << " threads";
        }
    }
}

TEST_F(Reproject, SceneEnvironmentTurnsAndScalesTheImage) {
    const std::string input = Panorama("directions.exr", 256, 128, Encode);
    const fs::path scene = dir_ / "scene.json";
    std::ofstream(scene) << R"({"environment": {"file": "directions.exr", "rotation": [90, 0, 0], "intensity": 2},
        "items": [{"name": "Cam", "kind": "camera", "type": "VantorPanoramicCam"}]})";
    ReprojectOptions o = Options(input, "", 64, 32);
    o.scene = scene.string();
    o.camera = "Cam";
    Image image;
    ASSERT_EQ(Run(o, &image), kExitOk) << messages_;
    // Heading 90 turns the image's forward (+Z) toward world +X, so the view
    // forward (+Z) sees the image's -X, at twice the brightness.
    const Rgb c = image.at(32, 16);
    const V3 seen = Decode({c.r / 2, c.g / 2, c.b / 2});
    EXPECT_LT(DegreesBetween(seen, {-1, 0, 0}), 4.0) << seen.x << " " << seen.y << " " << seen.z;
}

TEST_F(Reproject, BadInputIsAnInputError) {
    const std::string input = Panorama("p.exr", 16, 8, Encode);
    EXPECT_EQ(Run(Options((dir_ / "missing.exr").string(), "VantorPanoramicCam", 8, 4)), kExitInputError);
    EXPECT_NE(messages_.find("missing.exr"), std::string::npos) << messages_;
    ReprojectOptions o = Options(input, "VantorPanoramicCam", 8, 4);
    o.output = (dir_ / "out.nope").string();
    EXPECT_EQ(Run(o), kExitInputError);
    EXPECT_EQ(Run(Options(input, "Nope", 8, 4)), kExitInputError);
    EXPECT_NE(messages_.find("VantorSkyboxCam"), std::string::npos) << messages_;
    o = Options(input, "VantorPanoramicCam", 8, 4);
    o.sets = {"Nope=1"};
    EXPECT_EQ(Run(o), kExitInputError);
    EXPECT_NE(messages_.find("Nope"), std::string::npos) << messages_;
    EXPECT_FALSE(fs::exists(dir_ / "out.exr"));
}

TEST_F(Reproject, AnInterruptLeavesNoTemporaryFile) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer cannot start threads in a child forked from a threaded process";
#endif
    const std::string path = (dir_ / "big.exr").string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const Image image(2048, 2048, {0.3f, 0.6f, 0.9f});
        for (;;) WriteImage(path, image, SampleDepth::Float);
    }
    // Interrupt while a temporary file exists.
    const fs::path temp = path + ".tmp-" + std::to_string(child);
    for (int i = 0; i < 2000 && !fs::exists(temp); ++i) usleep(1000);
    ASSERT_TRUE(fs::exists(temp));
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_FALSE(fs::exists(temp));
}

} // namespace
} // namespace lentara::tool
