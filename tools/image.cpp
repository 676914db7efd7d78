// image.cpp -- PNG output through libpng and the small image operations the
// contact sheet needs.
#include "tools/image.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace lentara::tool {

std::uint8_t ToByte(float v) {
    if (!(v > 0.0f)) return 0; // also NaN
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround(v * 255.0f));
}

std::vector<std::uint8_t> ToBytes(const Image &image) {
    std::vector<std::uint8_t> out;
    out.reserve(image.pixels.size() * 3);
    for (const Rgb &p : image.pixels) {
        out.push_back(ToByte(p.r));
        out.push_back(ToByte(p.g));
        out.push_back(ToByte(p.b));
    }
    return out;
}

namespace {

struct PngFailure {
    std::string message;
};

void OnPngError(png_structp png, png_const_charp message) {
    auto *failure = static_cast<PngFailure *>(png_get_error_ptr(png));
    if (failure) failure->message = message ? message : "libpng error";
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The libpng part of writing, kept free of C++ objects with destructors
// because libpng reports errors by longjmp.
bool WritePngFile(std::FILE *file, int width, int height, const std::uint8_t *rgb, PngFailure &failure) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, OnPngError, OnPngWarning);
    if (!png) {
        failure.message = "cannot create PNG writer";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        failure.message = "cannot create PNG info";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgb + static_cast<std::size_t>(y) * width * 3));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool ReadPngFile(std::FILE *file, png_uint_32 &width, png_uint_32 &height, std::vector<std::uint8_t> &rgb,
                 PngFailure &failure) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, OnPngError, OnPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 3) {
        failure.message = "unsupported PNG layout";
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, rgb.data() + static_cast<std::size_t>(y) * width * 3, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

std::string WritePng(const std::string &path, const Image &image) {
    if (image.width <= 0 || image.height <= 0) return "empty image";
    const std::vector<std::uint8_t> rgb = ToBytes(image);
    const std::string temp = path + ".tmp-" + std::to_string(static_cast<long>(getpid()));
    std::FILE *file = std::fopen(temp.c_str(), "wb");
    if (!file) return "cannot create " + temp + ": " + std::strerror(errno);
    PngFailure failure;
    const bool written = WritePngFile(file, image.width, image.height, rgb.data(), failure);
    const bool flushed = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed) {
        std::remove(temp.c_str());
        return "cannot write " + path + ": " + (failure.message.empty() ? std::strerror(errno) : failure.message);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temp.c_str());
        return "cannot rename " + temp + " to " + path + ": " + reason;
    }
    return {};
}

std::string ReadPng(const std::string &path, int &width, int &height, std::vector<std::uint8_t> &rgb) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return "cannot open " + path + ": " + std::strerror(errno);
    PngFailure failure;
    png_uint_32 w = 0, h = 0;
    const bool ok = ReadPngFile(file, w, h, rgb, failure);
    std::fclose(file);
    if (!ok) return "cannot read " + path + ": " + (failure.message.empty() ? "not a PNG" : failure.message);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return {};
}

Image Resize(const Image &src, int width, int height) {
    Image out(width, height);
    if (src.width <= 0 || src.height <= 0) return out;
    const double sx = static_cast<double>(src.width) / width, sy = static_cast<double>(src.height) / height;
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(y * sy), y1 = std::max(y0 + 1, std::min(src.height, static_cast<int>((y + 1) * sy)));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(x * sx), x1 = std::max(x0 + 1, std::min(src.width, static_cast<int>((x + 1) * sx)));
            double r = 0, g = 0, b = 0;
            int n = 0;
            for (int v = y0; v < y1; ++v)
                for (int u = x0; u < x1; ++u) {
                    const Rgb &p = src.at(std::min(u, src.width - 1), std::min(v, src.height - 1));
                    r += p.r;
                    g += p.g;
                    b += p.b;
                    ++n;
                }
            out.at(x, y) = {static_cast<float>(r / n), static_cast<float>(g / n), static_cast<float>(b / n)};
        }
    }
    return out;
}

} // namespace lentara::tool
