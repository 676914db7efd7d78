// image.cpp -- image files through OpenImageIO, the sRGB transfer, and the
// small image operations the contact sheet needs.
#include "tools/image.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <OpenImageIO/imageio.h>

#include "tools/temp_file.h"

namespace lentara::tool {

float SrgbFromLinear(float v) {
    if (!(v > 0.0f)) return 0.0f; // also NaN
    if (v >= 1.0f) return 1.0f;
    return v <= 0.0031308f ? 12.92f * v : 1.055f * std::pow(v, 1.0f / 2.4f) - 0.055f;
}

float LinearFromSrgb(float v) {
    if (!(v > 0.0f)) return 0.0f;
    return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
}

Rgb LinearFromSrgb(Rgb c) { return {LinearFromSrgb(c.r), LinearFromSrgb(c.g), LinearFromSrgb(c.b)}; }

std::uint8_t ToByte(float linear) { return static_cast<std::uint8_t>(std::lround(SrgbFromLinear(linear) * 255.0f)); }

bool ParseSampleDepth(const std::string &text, SampleDepth &depth) {
    if (text == "8") depth = SampleDepth::Uint8;
    else if (text == "16") depth = SampleDepth::Uint16;
    else if (text == "half") depth = SampleDepth::Half;
    else if (text == "float") depth = SampleDepth::Float;
    else return false;
    return true;
}

namespace {

struct Layout {
    OIIO::TypeDesc type;
    bool linear = false;
};

// The sample type for a file format, or a reason why the format cannot take it.
std::string ChooseLayout(const std::string &format, SampleDepth depth, Layout &layout) {
    const bool exr = format == "openexr", hdr = format == "hdr";
    if (depth == SampleDepth::Default) depth = exr ? SampleDepth::Half : hdr ? SampleDepth::Float : SampleDepth::Uint8;
    const bool allowed = exr ? (depth == SampleDepth::Half || depth == SampleDepth::Float)
                         : hdr ? depth == SampleDepth::Float
                         : format == "png" ? (depth == SampleDepth::Uint8 || depth == SampleDepth::Uint16)
                         : format == "jpeg" ? depth == SampleDepth::Uint8
                                            : true;
    if (!allowed) return "the " + format + " format cannot store that sample depth";
    switch (depth) {
    case SampleDepth::Uint16: layout = {OIIO::TypeDesc::UINT16, false}; break;
    case SampleDepth::Half: layout = {OIIO::TypeDesc::HALF, true}; break;
    case SampleDepth::Float: layout = {OIIO::TypeDesc::FLOAT, true}; break;
    default: layout = {OIIO::TypeDesc::UINT8, false}; break;
    }
    return {};
}

// One row as the file wants it: linear and premultiplied for float files;
// straight colour with the sRGB transfer for integer ones.
void EncodeRow(const Image &image, int y, int channels, bool linear, std::vector<float> &row) {
    row.resize(static_cast<std::size_t>(image.width) * channels);
    for (int x = 0; x < image.width; ++x) {
        const Rgb &p = image.at(x, y);
        float c[4] = {p.r, p.g, p.b, image.alphaAt(x, y)};
        if (!linear) {
            const float unpremultiply = (channels == 4 && c[3] > 0.0f) ? 1.0f / c[3] : 1.0f;
            for (int k = 0; k < 3; ++k) c[k] = SrgbFromLinear(c[k] * unpremultiply);
        } else {
            for (int k = 0; k < 3; ++k)
                if (!std::isfinite(c[k])) c[k] = 0.0f;
        }
        for (int k = 0; k < channels; ++k) row[static_cast<std::size_t>(x) * channels + k] = c[k];
    }
}

} // namespace

std::string CheckImageOutput(const std::string &path, SampleDepth depth) {
    std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create(path);
    if (!out) return "cannot write " + path + ": no image format for its extension (.png, .jpg, .tif, .exr, ...)";
    Layout layout;
    if (std::string problem = ChooseLayout(out->format_name(), depth, layout); !problem.empty())
        return "cannot write " + path + ": " + problem;
    return {};
}

std::string WriteImage(const std::string &path, const Image &image, SampleDepth depth) {
    if (image.width <= 0 || image.height <= 0) return "empty image";
    if (std::string problem = CheckImageOutput(path, depth); !problem.empty()) return problem;
    std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create(path);
    if (!out) return "cannot write " + path + ": " + OIIO::geterror();
    const std::string format = out->format_name();
    Layout layout;
    if (std::string problem = ChooseLayout(format, depth, layout); !problem.empty()) return "cannot write " + path + ": " + problem;
    const int channels = (!image.alpha.empty() && out->supports("alpha")) ? 4 : 3;
    OIIO::ImageSpec spec(image.width, image.height, channels, layout.type);
    if (channels == 4) {
        spec.alpha_channel = 3;
        if (!layout.linear) spec.attribute("oiio:UnassociatedAlpha", 1);
    }
    spec.attribute("oiio:ColorSpace", layout.linear ? "Linear" : "sRGB");
    if (format == "openexr") spec.attribute("compression", "zip");

    const std::string temp = path + ".tmp-" + std::to_string(static_cast<long>(getpid()));
    TempFile guard(temp);
    if (!guard.ok()) return "cannot write " + path + ": the path is too long";
    if (!out->open(temp, spec)) return "cannot create " + temp + ": " + out->geterror();
    // Convert and write a band of rows at a time, so a large image needs no
    // second full-size copy.
    const int band = 64;
    std::vector<float> rows, row;
    bool written = true;
    for (int y0 = 0; y0 < image.height && written; y0 += band) {
        const int y1 = std::min(image.height, y0 + band);
        rows.clear();
        for (int y = y0; y < y1; ++y) {
            EncodeRow(image, y, channels, layout.linear, row);
            rows.insert(rows.end(), row.begin(), row.end());
        }
        written = out->write_scanlines(y0, y1, 0, OIIO::TypeDesc::FLOAT, rows.data());
    }
    const bool closed = out->close();
    if (!written || !closed) return "cannot write " + path + ": " + out->geterror();
    if (std::rename(temp.c_str(), path.c_str()) != 0) return "cannot rename " + temp + " to " + path + ": " + std::strerror(errno);
    return {};
}

std::string ReadImage(const std::string &path, Image &image) {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::open(path, &config);
    if (!in) return "cannot read " + path + ": " + OIIO::geterror();
    const OIIO::ImageSpec &spec = in->spec();
    if (spec.width <= 0 || spec.height <= 0 || spec.nchannels <= 0) return "cannot read " + path + ": empty image";
    const int n = spec.nchannels;
    std::vector<float> data(static_cast<std::size_t>(spec.width) * spec.height * n);
    if (!in->read_image(0, 0, 0, n, OIIO::TypeDesc::FLOAT, data.data())) return "cannot read " + path + ": " + in->geterror();
    const bool linear = spec.format.is_floating_point() || spec.get_string_attribute("oiio:ColorSpace") == "Linear";
    const int alphaChannel = spec.alpha_channel;
    image = Image(spec.width, spec.height);
    if (alphaChannel >= 0) image.alpha.resize(image.pixels.size());
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const float *p = &data[i * n];
        float c[3] = {p[0], p[n > 2 ? 1 : 0], p[n > 2 ? 2 : 0]};
        if (!linear)
            for (float &v : c) v = LinearFromSrgb(v);
        const float a = alphaChannel >= 0 ? p[alphaChannel] : 1.0f;
        // Float files store premultiplied colour already; integer ones straight.
        const float premultiply = (alphaChannel >= 0 && !linear) ? a : 1.0f;
        image.pixels[i] = {c[0] * premultiply, c[1] * premultiply, c[2] * premultiply};
        if (alphaChannel >= 0) image.alpha[i] = a;
    }
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
