// commands.h -- the subcommands of `lentara`, callable from tests. Each
// returns the process exit code: 0 done, 1 a render failure, 2 a usage or
// input error; messages go to `err`, results to `out`.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace lentara::tool {

constexpr int kExitOk = 0;
constexpr int kExitRenderFailure = 1;
constexpr int kExitInputError = 2;

struct CommonOptions {
    std::string module;   // module file; empty: the one built beside the tool
    int threads = 0;      // 0: every core
    bool progress = false;
};

struct DemoOptions {
    CommonOptions common;
    std::string outDir = "out/demo";
    int width = 384, height = 192, samples = 4;
    std::string environment; // equirectangular image as the sky; empty: the built-in sky
};

struct RenderCommandOptions {
    CommonOptions common;
    std::string scene;
    std::string outDir = "out/render";
    std::optional<int> width, height, samples;
    std::optional<int> frameFirst, frameLast;
    std::string saveScene; // empty: none
};

struct RaysOptions {
    CommonOptions common;
    std::string type;
    int columns = 11, rows = 11;
    std::string format = "csv";
};

std::string DefaultModulePath();

int RunDemo(const DemoOptions &options, std::ostream &out, std::ostream &err);
int RunRender(const RenderCommandOptions &options, std::ostream &out, std::ostream &err);
int RunRays(const RaysOptions &options, std::ostream &out, std::ostream &err);
int RunInfo(const CommonOptions &options, std::ostream &out, std::ostream &err);

// "WxH" into width and height; false when it is not two positive integers.
bool ParseSize(const std::string &text, int &width, int &height);
// "A-B" or "A" into a frame range; false when malformed or B < A.
bool ParseFrames(const std::string &text, int &first, int &last);
// Creates the folder (and parents) and checks that files can be written in
// it; empty on success, else the reason.
std::string PrepareOutputDir(const std::string &dir);

} // namespace lentara::tool
