// demo.cpp -- the demo scene and the labelled contact sheet.
#include "tools/demo.h"

#include <algorithm>
#include <cmath>

#include "tools/text.h"

namespace lentara::tool {

namespace {

Rgb Hue(double h) {
    // h in [0, 1): a saturated colour wheel
    const double r = 0.5 + 0.5 * std::cos(2 * M_PI * (h + 0.0));
    const double g = 0.5 + 0.5 * std::cos(2 * M_PI * (h - 1.0 / 3));
    const double b = 0.5 + 0.5 * std::cos(2 * M_PI * (h + 1.0 / 3));
    return {static_cast<float>(0.1 + 0.85 * r), static_cast<float>(0.1 + 0.85 * g), static_cast<float>(0.1 + 0.85 * b)};
}

ItemDesc Object(const std::string &name, ShapeKind kind, V3 p, Rgb colour) {
    ItemDesc item;
    item.name = name;
    item.camera = false;
    item.position[0] = Keyed::Of(p.x);
    item.position[1] = Keyed::Of(p.y);
    item.position[2] = Keyed::Of(p.z);
    item.shape.kind = kind;
    item.shape.material.colour = colour;
    return item;
}

ItemDesc Camera(const std::string &name, V3 p, double heading, double pitch) {
    ItemDesc item;
    item.name = name;
    item.camera = true;
    item.hasShape = false;
    item.position[0] = Keyed::Of(p.x);
    item.position[1] = Keyed::Of(p.y);
    item.position[2] = Keyed::Of(p.z);
    item.rotation[0] = Keyed::Of(heading);
    item.rotation[1] = Keyed::Of(pitch);
    return item;
}

} // namespace

SceneDesc DemoScene(int width, int height, int samples) {
    SceneDesc scene;
    scene.fps = 24;
    scene.frameFirst = scene.frameLast = 0;
    scene.exposure = 0.5;
    scene.width = width;
    scene.height = height;
    scene.samples = samples;
    scene.environment.fogDistance = 45;

    // The main camera drifts right and pans slightly during the exposure. It
    // stands in the middle of a ground square, so the seam of a full-turn
    // panorama does not fall on a checker edge.
    ItemDesc main = Camera(kDemoCamera, {0.5, 1.6, 0.5}, 0, 0);
    main.position[0].keys = {{0.0, 0.5}, {1.0, 2.9}};
    main.rotation[0].keys = {{0.0, 0.0}, {1.0, 12.0}};
    main.cam.zoom = Keyed::Of(2.0);
    main.cam.focalDistance = Keyed::Of(6.0);
    main.cam.fStop = Keyed::Of(2.8);
    scene.items.push_back(main);
    scene.renderCameras = {kDemoCamera};

    // Cameras for the composite types to pick.
    scene.items.push_back(Camera("Cam Front", {0, 4, -21}, 0, 8));
    scene.items.push_back(Camera("Cam Left", {-20, 3, 2}, 90, 6));
    scene.items.push_back(Camera("Cam Right", {20, 3, -2}, -90, 6));
    scene.items.push_back(Camera("Cam Top", {0, 42, 0.01}, 0, 89.9));
    scene.items.push_back(Camera("Cam Back", {3, 2.5, 20}, 180, 4));
    scene.items.push_back(Camera("Cam Low", {-9, 0.4, -9}, 45, -12));

    // The ring: spheres and boxes at several distances and heights.
    const int count = 12;
    for (int i = 0; i < count; ++i) {
        const double azimuth = 2 * M_PI * i / count;
        const double distance = 5.0 + 2.5 * (i % 3);
        const double size = 0.7 + 0.25 * (i % 4);
        const bool sphere = i % 2 == 0;
        const double lift = (i % 4 == 3) ? 1.2 : 0.0;
        V3 p{distance * std::sin(azimuth), (sphere ? size : size * 0.5 + 0.0) + lift, distance * std::cos(azimuth)};
        ItemDesc item = Object(i == 0 ? kDemoTarget : (sphere ? "Ball " : "Crate ") + std::to_string(i),
                               sphere ? ShapeKind::Sphere : ShapeKind::Box, p, Hue(static_cast<double>(i) / count));
        if (sphere) {
            item.shape.radius = size;
        } else {
            item.shape.size = {size * 1.4, size, size * 1.4};
            item.rotation[0] = Keyed::Of(azimuth * 180 / M_PI + 20);
            item.shape.material.checker = true;
            item.shape.material.colour2 = {0.95f, 0.95f, 0.95f};
            item.shape.material.checkerSize = size * 0.35;
        }
        scene.items.push_back(item);
    }
    // A tall pillar behind the camera and a high ball so the sky views show something.
    ItemDesc pillar = Object("Pillar", ShapeKind::Box, {-2.5, 3, -3}, {0.9f, 0.75f, 0.3f});
    pillar.shape.size = {1.2, 6, 1.2};
    scene.items.push_back(pillar);
    ItemDesc high = Object("Balloon", ShapeKind::Sphere, {2, 9, 4}, {0.95f, 0.25f, 0.3f});
    high.shape.radius = 1.2;
    scene.items.push_back(high);

    // The comet crosses the view fast enough to streak in one exposure.
    ItemDesc comet = Object("Comet", ShapeKind::Sphere, {0, 1.2, 3.5}, {1.0f, 0.95f, 0.2f});
    comet.shape.radius = 0.35;
    comet.position[0].keys = {{0.0, -0.6}, {1.0, 28.2}};
    scene.items.push_back(comet);
    return scene;
}

Image ContactSheet(const std::vector<SheetEntry> &entries, int columns, int tileWidth, std::string *fontProblem) {
    const int pad = 10;
    TextRenderer title, subtitle;
    std::string problem = title.Open(DefaultFontPath(), 15);
    if (problem.empty()) problem = subtitle.Open(DefaultFontPath(), 12);
    if (fontProblem) *fontProblem = problem;
    const bool labels = problem.empty();

    int tileHeight = 0;
    for (const SheetEntry &e : entries)
        if (e.image.width > 0) tileHeight = std::max(tileHeight, e.image.height * tileWidth / e.image.width);
    // Subtitles may take several lines; every label gets the room of the longest.
    auto lines = [](const std::string &text) {
        std::vector<std::string> out(1);
        for (char c : text) {
            if (c == '\n') out.emplace_back();
            else out.back().push_back(c);
        }
        return out;
    };
    std::size_t subtitleLines = 1;
    for (const SheetEntry &e : entries) subtitleLines = std::max(subtitleLines, lines(e.subtitle).size());
    const int labelHeight = labels ? title.LineHeight() + static_cast<int>(subtitleLines) * subtitle.LineHeight() + 6 : 0;
    columns = std::max(1, std::min(columns, static_cast<int>(entries.size())));
    const int rows = (static_cast<int>(entries.size()) + columns - 1) / columns;
    Image sheet(pad + columns * (tileWidth + pad), pad + rows * (tileHeight + labelHeight + pad), {0.12f, 0.12f, 0.13f});
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SheetEntry &e = entries[i];
        const int x0 = pad + static_cast<int>(i % columns) * (tileWidth + pad);
        const int y0 = pad + static_cast<int>(i / columns) * (tileHeight + labelHeight + pad);
        if (e.image.width > 0) {
            const int h = e.image.height * tileWidth / e.image.width;
            const Image tile = Resize(e.image, tileWidth, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < tileWidth; ++x) sheet.at(x0 + x, y0 + y) = tile.at(x, y);
        }
        if (labels) {
            const int base = y0 + tileHeight + 3 + title.Ascent();
            title.Draw(sheet, x0, base, e.title, {0.95f, 0.95f, 0.95f});
            int y = base + 1;
            for (const std::string &line : lines(e.subtitle))
                subtitle.Draw(sheet, x0, y += subtitle.LineHeight(), line, {0.65f, 0.68f, 0.72f});
        }
    }
    return sheet;
}

} // namespace lentara::tool
