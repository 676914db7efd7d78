// text.h -- labels drawn with a TrueType font through FreeType.
#pragma once

#include <memory>
#include <string>

#include "tools/image.h"

namespace lentara::tool {

// The font the labels use unless LENTARA_FONT names another file.
std::string DefaultFontPath();

class TextRenderer {
public:
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer &) = delete;
    TextRenderer &operator=(const TextRenderer &) = delete;

    // Empty on success, else why the font could not be used.
    std::string Open(const std::string &fontPath, int pixelHeight);
    bool ok() const;

    // Width in pixels of the text on one line.
    int Measure(const std::string &text) const;
    // Draws the text with its baseline at y, blending `colour` by coverage.
    void Draw(Image &image, int x, int baseline, const std::string &text, Rgb colour) const;
    int Ascent() const;
    int LineHeight() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace lentara::tool
