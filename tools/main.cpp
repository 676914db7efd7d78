// main.cpp -- the `lentara` command line: preview renders of the modules'
// camera types in the stand-in host.
#include <unistd.h>

#include <iostream>

#include <CLI/CLI.hpp>

#include "tools/commands.h"
#include "tools/reproject.h"

using namespace lentara::tool;

namespace {

std::string DefaultModulesText() {
    std::string defaults;
    for (const std::string &path : DefaultModulePaths()) defaults += (defaults.empty() ? "" : ", ") + path;
    return defaults;
}

void AddCommon(CLI::App *cmd, CommonOptions &o, bool threads) {
    cmd->add_option("--module", o.modules, "plug-in module file; repeat for several (default: " + DefaultModulesText() + ")")
        ->allow_extra_args(false);
    if (threads)
        cmd->add_option("--threads", o.threads, "render threads, 1 to 1024 (default: every core; at most one per image row)")
            ->check(CLI::Range(1, 1024));
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
        cmd->add_option("--module", options.modules, "plug-in module file; repeat for several (default: " + DefaultModulesText() + ")")
            ->allow_extra_args(false);
        cmd->add_option("--bits", depth, "sample depth: 8, 16, half or float (default: half for .exr, else 8)");
        cmd->add_option("--threads", options.threads, "render threads (default: every core)")->check(CLI::Range(1, 1024));
    }

    int Run(bool progress) {
        if (!size.empty()) {
            int w = 0, h = 0;
            if (const std::string problem = ParseSize(size, w, h); !problem.empty()) return Usage("--size: " + problem);
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
    app.set_version_flag("--version", VersionText());
    bool noProgress = false;
    app.add_flag("--no-progress", noProgress, "no progress bar even on a terminal");
    const std::string sizeHelp = " (each side 1 to " + std::to_string(kMaxSide) + ")";

    DemoOptions demo;
    std::string demoSize;
    CLI::App *demoCmd = app.add_subcommand("demo", "render the built-in demo scene through every camera type of every module");
    demoCmd->add_option("--out", demo.outDir, "output folder (default: out/demo)");
    demoCmd->add_option("--size", demoSize, "image size WxH (default: 384x192)" + sizeHelp);
    demoCmd->add_option("--samples", demo.samples, "samples per pixel, 1 to 4096 (default: 4)")->check(CLI::Range(1, 4096));
    AddCommon(demoCmd, demo.common, true);
    demoCmd->add_option("--environment", demo.environment, "equirectangular image as the demo's sky");

    RenderCommandOptions render;
    std::string renderSize, frames;
    int renderSamples = 0;
    CLI::App *renderCmd = app.add_subcommand("render", "render a JSON scene (see docs/scene-format.md)");
    renderCmd->add_option("scene", render.scene, "scene file")->required();
    renderCmd->add_option("-o,--out", render.outDir, "output folder (default: out/render/<scene file name>)");
    renderCmd->add_option("--frames", frames,
                          "frame range A-B or one frame, within +-" + std::to_string(kMaxFrame) + " (default: the scene's)");
    renderCmd->add_option("--size", renderSize, "image size WxH (default: the scene's)" + sizeHelp);
    renderCmd->add_option("--samples", renderSamples, "samples per pixel, 1 to 4096 (default: the scene's)")->check(CLI::Range(1, 4096));
    renderCmd->add_option("--save-scene", render.saveScene,
                          "write the scene back with each camera's parameters and settings by name");
    renderCmd->add_flag("--force", render.force, "let --save-scene replace the scene file itself");
    AddCommon(renderCmd, render.common, true);

    RaysOptions rays;
    std::string grid = "11x11";
    CLI::App *raysCmd = app.add_subcommand("rays", "print the rays of a camera type over a film grid");
    raysCmd->add_option("--type", rays.type, "camera type (server name); default: the scene camera's");
    raysCmd->add_option("--scene", rays.scene, "scene file (default: a still camera at the origin looking down +Z)");
    raysCmd->add_option("--camera", rays.camera, "camera item of the scene (default: the first with a type)");
    raysCmd->add_option("--set", rays.sets,
                        "NAME=VALUE: a parameter by channel name (scene units) or panel label (panel units, degrees), "
                        "or a setting; repeatable")
        ->allow_extra_args(false);
    raysCmd->add_option("--grid", grid, "grid COLUMNSxROWS (default: 11x11)" + sizeHelp);
    raysCmd->add_option("--format", rays.format, "csv or json (default: csv)")->check(CLI::IsMember({"csv", "json"}));
    raysCmd->footer(
        "Grid: column 0 is the film's left edge and the last column its right edge, row 0 the top edge and the last\n"
        "row the bottom edge (one column or row: the centre). Film x grows right, y up, in metres, origin at the\n"
        "film centre. Rays are taken at the first frame's start, lens centre, exposure fraction 0.\n"
        "CSV columns: column, row, film_x, film_y, result (0: no ray), pos_x..z (origin), dir_x..z (direction),\n"
        "norm_x..z (film normal), all world coordinates; zeros without a ray. JSON: the same per ray.");
    AddCommon(raysCmd, rays.common, false);

    InfoOptions info;
    CLI::App *infoCmd = app.add_subcommand("info", "list the modules' servers and each camera type's panel");
    infoCmd->add_option("--type", info.type, "only this camera type (server name)");
    AddCommon(infoCmd, info.common, false);

    ReprojectCommand reproject;
    reproject.Add(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitInputError;
    }
    const bool progress = !noProgress && isatty(STDERR_FILENO);
    auto usage = [](const std::string &option, const std::string &problem) {
        std::cerr << "lentara: " << option << ": " << problem << "\n";
        return kExitInputError;
    };

    if (demoCmd->parsed()) {
        if (!demoSize.empty())
            if (const std::string problem = ParseSize(demoSize, demo.width, demo.height); !problem.empty())
                return usage("--size", problem);
        demo.common.progress = progress;
        return RunDemo(demo, std::cout, std::cerr);
    }
    if (renderCmd->parsed()) {
        if (!renderSize.empty()) {
            int w = 0, h = 0;
            if (const std::string problem = ParseSize(renderSize, w, h); !problem.empty()) return usage("--size", problem);
            render.width = w;
            render.height = h;
        }
        if (!frames.empty()) {
            int a = 0, b = 0;
            if (const std::string problem = ParseFrames(frames, a, b); !problem.empty()) return usage("--frames", problem);
            render.frameFirst = a;
            render.frameLast = b;
        }
        if (renderSamples > 0) render.samples = renderSamples;
        render.common.progress = progress;
        return RunRender(render, std::cout, std::cerr);
    }
    if (raysCmd->parsed()) {
        if (const std::string problem = ParseSize(grid, rays.columns, rays.rows); !problem.empty())
            return usage("--grid", problem);
        return RunRays(rays, std::cout, std::cerr);
    }
    if (reproject.cmd->parsed()) return reproject.Run(progress);
    return RunInfo(info, std::cout, std::cerr);
}
