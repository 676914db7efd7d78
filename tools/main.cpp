// main.cpp -- the `lentara` command line: preview renders of the module's
// camera types in the stand-in host.
#include <unistd.h>

#include <iostream>

#include <CLI/CLI.hpp>

#include "tools/commands.h"
#include "tools/reproject.h"

using namespace lentara::tool;

namespace {

void AddCommon(CLI::App *cmd, CommonOptions &o, bool threads) {
    cmd->add_option("--module", o.module, "plug-in module file (default: " + DefaultModulePath() + ")");
    if (threads) cmd->add_option("--threads", o.threads, "render threads (default: every core)")->check(CLI::Range(1, 1024));
}

// `lentara reproject`: its options, and the checks of those CLI11 leaves as text.
struct ReprojectCommand {
    ReprojectOptions options;
    std::string size, depth;
    CLI::App *cmd = nullptr;

    void Add(CLI::App &app) {
        cmd = app.add_subcommand("reproject", "render an equirectangular panorama through a camera type (environment only)");
        cmd->footer(std::string("Default size per camera type: ") + kDefaultReprojectSizes +
                    ". Pixels where the camera gives no ray are transparent (alpha 0) in formats with alpha, black "
                    "otherwise. Output format by extension: .png (8 or 16 bit), .jpg, .tif, .exr (half or float, "
                    "linear), .hdr.");
        cmd->add_option("input", options.input, "equirectangular (latitude-longitude) image, any format OpenImageIO reads")
            ->required();
        cmd->add_option("-o,--output", options.output, "output image file")->required();
        cmd->add_option("--type", options.type, "camera type (server name; `lentara info` lists them)");
        cmd->add_option("--size", size, "image size WxH (default: per camera type, below)");
        cmd->add_option("--samples", options.samples, "samples per pixel (default: 1)")->check(CLI::Range(1, 4096));
        cmd->add_option("--set", options.sets,
                        "NAME=VALUE: a parameter by channel name (scene-file units) or panel label (panel units: degrees "
                        "for angles), or a setting by name or label (number, true/false or choice text); repeatable")
            ->allow_extra_args(false);
        cmd->add_option("--scene", options.scene, "scene file whose camera item gives pose, lens and settings");
        cmd->add_option("--camera", options.camera, "the camera item of --scene");
        cmd->add_option("--module", options.modules, "plug-in module file; repeatable (default: " + DefaultModulePath() + ")")
            ->allow_extra_args(false);
        cmd->add_option("--bits", depth, "sample depth: 8, 16, half or float (default: half for .exr, else 8)");
        cmd->add_option("--threads", options.threads, "render threads (default: every core)")->check(CLI::Range(1, 1024));
    }

    int Run(bool progress) {
        if (!size.empty()) {
            int w = 0, h = 0;
            if (!ParseSize(size, w, h)) return Usage("--size wants WxH with sides 1..16384, e.g. 2048x1024");
            options.width = w;
            options.height = h;
        }
        if (!depth.empty() && !ParseSampleDepth(depth, options.depth)) return Usage("--bits wants 8, 16, half or float");
        options.progress = progress;
        return RunReproject(options, std::cout, std::cerr);
    }

    static int Usage(const std::string &message) {
        std::cerr << "lentara reproject: " << message << "\n";
        return kExitInputError;
    }
};

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"lentara: preview renders of the Vantor Lentara camera types in a stand-in host"};
    app.require_subcommand(1);
    app.fallthrough();
    bool noProgress = false;
    app.add_flag("--no-progress", noProgress, "no progress bar even on a terminal");

    DemoOptions demo;
    std::string demoSize;
    CLI::App *demoCmd = app.add_subcommand("demo", "render the built-in demo scene through every camera type");
    demoCmd->add_option("--out", demo.outDir, "output folder (default: out/demo)");
    demoCmd->add_option("--size", demoSize, "image size WxH (default: 384x192)");
    demoCmd->add_option("--samples", demo.samples, "samples per pixel (default: 4)")->check(CLI::Range(1, 4096));
    AddCommon(demoCmd, demo.common, true);
    demoCmd->add_option("--environment", demo.environment, "equirectangular image as the demo's sky");

    RenderCommandOptions render;
    std::string renderSize, frames;
    int renderSamples = 0;
    CLI::App *renderCmd = app.add_subcommand("render", "render a JSON scene (see docs/scene-format.md)");
    renderCmd->add_option("scene", render.scene, "scene file")->required();
    renderCmd->add_option("-o,--out", render.outDir, "output folder (default: out/render)");
    renderCmd->add_option("--frames", frames, "frame range A-B (default: the scene's)");
    renderCmd->add_option("--size", renderSize, "image size WxH (default: the scene's)");
    renderCmd->add_option("--samples", renderSamples, "samples per pixel (default: the scene's)")->check(CLI::Range(1, 4096));
    renderCmd->add_option("--save-scene", render.saveScene, "write the scene back with each camera's saved block");
    AddCommon(renderCmd, render.common, true);

    RaysOptions rays;
    std::string grid = "11x11";
    CLI::App *raysCmd = app.add_subcommand("rays", "print the rays of one camera type over a film grid");
    raysCmd->add_option("--type", rays.type, "camera type (server name)")->required();
    raysCmd->add_option("--grid", grid, "grid COLUMNSxROWS (default: 11x11)");
    raysCmd->add_option("--format", rays.format, "csv or json (default: csv)")->check(CLI::IsMember({"csv", "json"}));
    AddCommon(raysCmd, rays.common, false);

    CommonOptions info;
    CLI::App *infoCmd = app.add_subcommand("info", "list the module's servers and each camera type's panel");
    AddCommon(infoCmd, info, false);

    ReprojectCommand reproject;
    reproject.Add(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitInputError;
    }
    const bool progress = !noProgress && isatty(STDERR_FILENO);
    auto usage = [](const std::string &message) {
        std::cerr << "lentara: " << message << "\n";
        return kExitInputError;
    };

    if (demoCmd->parsed()) {
        if (!demoSize.empty() && !ParseSize(demoSize, demo.width, demo.height)) return usage("--size wants WxH, e.g. 384x192");
        demo.common.progress = progress;
        return RunDemo(demo, std::cout, std::cerr);
    }
    if (renderCmd->parsed()) {
        if (!renderSize.empty()) {
            int w = 0, h = 0;
            if (!ParseSize(renderSize, w, h)) return usage("--size wants WxH, e.g. 640x360");
            render.width = w;
            render.height = h;
        }
        if (!frames.empty()) {
            int a = 0, b = 0;
            if (!ParseFrames(frames, a, b)) return usage("--frames wants A-B with A <= B, or one frame");
            render.frameFirst = a;
            render.frameLast = b;
        }
        if (renderSamples > 0) render.samples = renderSamples;
        render.common.progress = progress;
        return RunRender(render, std::cout, std::cerr);
    }
    if (raysCmd->parsed()) {
        if (!ParseSize(grid, rays.columns, rays.rows)) return usage("--grid wants COLUMNSxROWS, e.g. 11x11");
        return RunRays(rays, std::cout, std::cerr);
    }
    if (reproject.cmd->parsed()) return reproject.Run(progress);
    return RunInfo(info, std::cout, std::cerr);
}
