// image.h -- the linear floating-point images the preview renderer produces,
// and image files read and written through OpenImageIO. Files are written
// atomically (temporary name, then rename); an interrupt removes the
// temporary file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lentara::tool {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels; // linear, row by row, top row first
    std::vector<float> alpha; // coverage per pixel, colour premultiplied; empty: opaque

    Image() = default;
    Image(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    Rgb &at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb &at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    float alphaAt(int x, int y) const { return alpha.empty() ? 1.0f : alpha[static_cast<std::size_t>(y) * width + x]; }
};

// The sRGB transfer function and its inverse, per component.
float SrgbFromLinear(float v);
float LinearFromSrgb(float v);
// A colour picked on screen (sRGB) as the renderer's linear colour.
Rgb LinearFromSrgb(Rgb c);
// One linear component as an 8-bit sRGB code value, clamped.
std::uint8_t ToByte(float linear);

// How samples are stored in a file. Default: half for OpenEXR, float for
// Radiance HDR, 8 bits for the rest. Integer depths carry the sRGB transfer,
// half and float keep linear values (above 1 included).
enum class SampleDepth { Default, Uint8, Uint16, Half, Float };
// "8", "16", "half", "float"; false for anything else.
bool ParseSampleDepth(const std::string &text, SampleDepth &depth);

// Writes `image` in the format its extension names (.png, .jpg, .tif, .exr,
// .hdr, ...) through a temporary file in the same folder and a rename. With
// alpha the formats that store it get it; the others get the premultiplied
// colour (black where alpha is 0). Empty on success, else the reason.
std::string WriteImage(const std::string &path, const Image &image, SampleDepth depth = SampleDepth::Default);
// Whether WriteImage can write that file name at that depth (checked before
// rendering); empty when it can, else the reason.
std::string CheckImageOutput(const std::string &path, SampleDepth depth);

// Reads any image file OpenImageIO knows into linear RGB (and alpha when the
// file has it, premultiplied): integer files are decoded from sRGB unless
// they say they are linear. Empty on success, else the reason.
std::string ReadImage(const std::string &path, Image &image);

// Box-filtered copy scaled to the given size.
Image Resize(const Image &src, int width, int height);

} // namespace lentara::tool
