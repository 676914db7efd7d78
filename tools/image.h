// image.h -- the RGB images the preview renderer produces, PNG files written
// atomically (temporary name, then rename) and read back.
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
    std::vector<Rgb> pixels; // row by row, top row first

    Image() = default;
    Image(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    Rgb &at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb &at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// 8-bit sRGB-ish bytes (plain clamp, no gamma: colours are authored for display).
std::vector<std::uint8_t> ToBytes(const Image &image);
std::uint8_t ToByte(float v);

// Writes `image` to `path` through a temporary file in the same folder and a
// rename, so an interrupted run never leaves a partial PNG. Empty on success,
// else the reason.
std::string WritePng(const std::string &path, const Image &image);

// Reads an 8-bit RGB or RGBA PNG (alpha dropped) into bytes; empty on success.
std::string ReadPng(const std::string &path, int &width, int &height, std::vector<std::uint8_t> &rgb);

// Box-filtered copy scaled to the given size.
Image Resize(const Image &src, int width, int height);

} // namespace lentara::tool
