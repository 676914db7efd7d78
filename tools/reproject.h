// reproject.h -- `lentara reproject`: a panorama seen through a camera type of
// a loaded module, the environment alone (no geometry), exactly with the rays
// the host would get.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/image.h"

namespace lentara::tool {

struct ReprojectOptions {
    std::string input, output;
    std::string type;                 // server name; empty: the scene camera's own type
    std::optional<int> width, height; // absent: the scene's size, else DefaultReprojectSize
    int samples = 1;
    std::vector<std::string> sets;    // NAME=VALUE
    std::string scene, camera;        // a scene file's camera item (pose, lens, settings)
    std::vector<std::string> modules; // empty: the module built beside the tool
    SampleDepth depth = SampleDepth::Default;
    int threads = 0;
    bool progress = false;
};

// The image size for a camera type when none is asked for: 2:1 for the
// panoramas and side-by-side pairs, 4:3 for the skybox cross and 12Up, square
// for fisheyes and domes, else 16:9.
void DefaultReprojectSize(const std::string &type, int &width, int &height);
extern const char *const kDefaultReprojectSizes; // the same, as text for --help

int RunReproject(const ReprojectOptions &options, std::ostream &out, std::ostream &err);

} // namespace lentara::tool
