// commands.h -- the subcommands of `lentara`, callable from tests. Each
// returns the process exit code: 0 done, 1 a render failure, 2 a usage or
// input error; messages go to `err`, results to `out`.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace lentara::tool {

constexpr int kExitOk = 0;
constexpr int kExitRenderFailure = 1;
constexpr int kExitInputError = 2;

struct CommonOptions {
    std::vector<std::string> modules; // module files; empty: DefaultModulePaths()
    int threads = 0;                  // 0: every core
    bool progress = false;
};

struct DemoOptions {
    CommonOptions common;
    std::string outDir = "out/demo";
    int width = 384, height = 192, samples = 4;
};

struct RenderCommandOptions {
    CommonOptions common;
    std::string scene;
    std::string outDir; // empty: DefaultRenderDir(scene)
    std::optional<int> width, height, samples;
    std::optional<int> frameFirst, frameLast;
    std::string saveScene; // empty: none
    bool force = false;    // the saved scene may replace the scene file
};

struct RaysOptions {
    CommonOptions common;
    std::string type;                // empty: the scene camera's own type
    std::string scene, camera;       // a scene file and its camera item (default: the first with a type)
    std::vector<std::string> sets;   // NAME=VALUE
    int columns = 11, rows = 11;
    std::string format = "csv";
};

struct InfoOptions {
    CommonOptions common;
    std::string type; // empty: every camera type
};

// The module files loaded when no --module is given: $LENTARA_MODULE (a
// list separated by ':'), else every camera module of this build.
std::vector<std::string> DefaultModulePaths();
// "lentara <version>".
std::string VersionText();
// out/render/<scene file name without extension>.
std::string DefaultRenderDir(const std::string &scene);

int RunDemo(const DemoOptions &options, std::ostream &out, std::ostream &err);
int RunRender(const RenderCommandOptions &options, std::ostream &out, std::ostream &err);
int RunRays(const RaysOptions &options, std::ostream &out, std::ostream &err);
int RunInfo(const InfoOptions &options, std::ostream &out, std::ostream &err);

// Largest image or grid side and the frame range the command line takes.
constexpr int kMaxSide = 16384;
constexpr int kMaxFrame = 1000000;
// "WxH" into width and height, each 1..kMaxSide; empty on success, else
// what is wrong (with the limit).
std::string ParseSize(const std::string &text, int &width, int &height);
// "A-B" or "A" into a frame range within +-kMaxFrame; empty on success,
// else what is wrong.
std::string ParseFrames(const std::string &text, int &first, int &last);
// Creates the folder (and parents) and checks that files can be written in
// it; empty on success, else the reason.
std::string PrepareOutputDir(const std::string &dir);

} // namespace lentara::tool
