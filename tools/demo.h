// demo.h -- the built-in demo scene and the contact sheet of its renders.
#pragma once

#include <string>
#include <vector>

#include "tools/image.h"
#include "tools/scene_file.h"

namespace lentara::tool {

// Item names the demo relies on.
inline constexpr const char *kDemoCamera = "Camera";
inline constexpr const char *kDemoTarget = "Target";

// A ring of coloured spheres and boxes around the camera on a checkered
// ground, a fast object crossing the view, a slowly moving camera, and four
// more cameras for the composite camera types to pick.
SceneDesc DemoScene(int width, int height, int samples);

struct SheetEntry {
    Image image;
    std::string title, subtitle;
};

// The renders side by side in a grid with a label under each (the subtitle
// may hold several lines, split at '\n'); empty text
// when the font cannot be loaded (the sheet then has no labels).
Image ContactSheet(const std::vector<SheetEntry> &entries, int columns, int tileWidth, std::string *fontProblem);

} // namespace lentara::tool
