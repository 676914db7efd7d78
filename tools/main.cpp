// main.cpp -- the `lentara` command line: preview renders of the modules'
// camera types in the stand-in host.
#include <unistd.h>

#include <iostream>

#include <CLI/CLI.hpp>

#include "tools/commands.h"

using namespace lentara::tool;

namespace {

void AddCommon(CLI::App *cmd, CommonOptions &o, bool threads) {
    std::string defaults;
    for (const std::string &path : DefaultModulePaths()) defaults += (defaults.empty() ? "" : ", ") + path;
    cmd->add_option("--module", o.modules, "plug-in module file; repeat for several (default: " + defaults + ")")
        ->allow_extra_args(false);
    if (threads)
        cmd->add_option("--threads", o.threads, "render threads, 1 to 1024 (default: every core; at most one per image row)")
            ->check(CLI::Range(1, 1024));
}

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
    return RunInfo(info, std::cout, std::cerr);
}
