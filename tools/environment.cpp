// environment.cpp -- the latitude-longitude environment through OpenImageIO's
// texture system.
#include "tools/environment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <OpenImageIO/imageio.h>
#include <OpenImageIO/texture.h>

#include "standin/scene.h"
#include "tools/temp_file.h"

namespace lentara::tool {

namespace {

constexpr int kTile = 64;

struct ScratchFile {
    std::FILE *file = std::tmpfile(); // gone when closed
    ~ScratchFile() {
        if (file) std::fclose(file);
    }
};

// Writes `input` as a tiled, MIP-mapped, linear float OpenEXR file, a
// band of 64 rows at a time: each level's rows are written as tiles and
// averaged 2 x 2 into the next level's rows, which wait in an unnamed scratch
// file until that level is written. Memory: a band per level, whatever the
// size of the image. Empty on success, else the reason.
std::string BuildPyramid(const std::string &input, const std::string &output) {
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::open(input);
    if (!in) return OIIO::geterror();
    const OIIO::ImageSpec source = in->spec();
    const int channels = source.nchannels >= 3 ? 3 : 1; // alpha and other channels are not light
    // Integer images are photographs in sRGB unless they say otherwise.
    const bool srgb = !source.format.is_floating_point() && source.get_string_attribute("oiio:ColorSpace") != "Linear";
    int w = source.width, h = source.height;
    if (w < 2 || h < 1) return "the image is too small";
    std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create("openexr");
    if (!out || !out->supports("tiles") || !out->supports("mipmap")) return "no tiled OpenEXR writer";
    auto levelSpec = [channels](int lw, int lh) {
        // Float rather than half: lookups then convert nothing (a sixth faster).
        OIIO::ImageSpec spec(lw, lh, channels, OIIO::TypeDesc::FLOAT);
        spec.tile_width = spec.tile_height = kTile;
        spec.attribute("compression", "none");
        spec.attribute("wrapmodes", "periodic,clamp");
        spec.attribute("textureformat", "Plain Texture");
        spec.attribute("openexr:levelmode", 1); // MIP levels, each half the size rounded down
        spec.attribute("openexr:roundingmode", 0);
        return spec;
    };
    if (!out->open(output, levelSpec(w, h), OIIO::ImageOutput::Create)) return out->geterror();
    std::unique_ptr<ScratchFile> rows; // the rows of the level being written (after level 0)
    std::vector<float> band, half;
    for (bool first = true;; first = false) {
        const bool last = w == 1 && h == 1;
        const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
        auto next = last ? nullptr : std::make_unique<ScratchFile>();
        if (next && !next->file) return "cannot make a scratch file";
        for (int y0 = 0; y0 < h; y0 += kTile) {
            const int y1 = std::min(h, y0 + kTile);
            band.resize(static_cast<std::size_t>(w) * (y1 - y0) * channels);
            if (first) {
                if (!in->read_scanlines(0, 0, y0, y1, 0, 0, channels, OIIO::TypeDesc::FLOAT, band.data())) return in->geterror();
                if (srgb)
                    for (float &v : band) v = LinearFromSrgb(v);
            } else if (std::fread(band.data(), sizeof(float), band.size(), rows->file) != band.size()) {
                return "cannot read back a scratch file";
            }
            for (float &v : band)
                if (!std::isfinite(v)) v = 0.0f;
            if (!out->write_tiles(0, w, y0, y1, 0, 1, OIIO::TypeDesc::FLOAT, band.data())) return out->geterror();
            if (!next) continue;
            // Rows 2j and 2j+1 (the last one twice at an odd end) make row j below.
            half.assign(static_cast<std::size_t>(nw) * channels, 0.0f);
            for (int j = (y0 + 1) / 2; j < nh && 2 * j < y1; ++j) {
                const float *r0 = &band[static_cast<std::size_t>(2 * j - y0) * w * channels];
                const float *r1 = &band[static_cast<std::size_t>(std::min(2 * j + 1, h - 1) - y0) * w * channels];
                for (int i = 0; i < nw; ++i) {
                    const int a = 2 * i, b = std::min(2 * i + 1, w - 1);
                    for (int c = 0; c < channels; ++c)
                        half[static_cast<std::size_t>(i) * channels + c] =
                            0.25f * (r0[a * channels + c] + r0[b * channels + c] + r1[a * channels + c] + r1[b * channels + c]);
                }
                if (std::fwrite(half.data(), sizeof(float), half.size(), next->file) != half.size())
                    return "cannot write a scratch file";
            }
        }
        if (last) break;
        std::rewind(next->file);
        rows = std::move(next);
        w = nw;
        h = nh;
        if (!out->open(output, levelSpec(w, h), OIIO::ImageOutput::AppendMIPLevel)) return out->geterror();
    }
    if (!out->close()) return out->geterror();
    return {};
}

// Whether the file is tiled and MIP-mapped already (made by maketx, say),
// so the texture system can read it as it is.
bool IsTexture(const std::string &file) {
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::open(file);
    if (!in || in->spec().tile_width <= 0) return false;
    return in->seek_subimage(0, 1);
}

} // namespace

struct EnvironmentMap::Impl {
    std::unique_ptr<TempFile> pyramid; // removed after the texture system lets go of it
    OIIO::TextureSystem *textures = nullptr;
    OIIO::TextureSystem::TextureHandle *handle = nullptr;
    OIIO::TextureOpt options;
    ~Impl() {
        if (textures) OIIO::TextureSystem::destroy(textures);
    }
};

std::unique_ptr<EnvironmentMap> EnvironmentMap::Open(const std::string &file, const double rotationDegrees[3],
                                                     double intensity, std::string *problem) {
    std::unique_ptr<EnvironmentMap> map(new EnvironmentMap);
    map->impl_ = std::make_unique<Impl>();
    Impl &impl = *map->impl_;
    // Lookups read tiles of a MIP-mapped file: the file itself when it is
    // one, else a pyramid made from it in the temporary folder.
    std::string texture = file;
    if (!IsTexture(file)) {
        impl.pyramid = std::make_unique<TempFile>(TempPath("lentara-environment", ".exr"));
        std::string reason = impl.pyramid->ok() ? BuildPyramid(file, impl.pyramid->path()) : "no temporary file";
        if (!reason.empty()) {
            if (problem) *problem = "cannot read the environment image " + file + ": " + reason;
            return nullptr;
        }
        texture = impl.pyramid->path();
    }
    // A private texture system whose cache holds at most kCacheMegabytes of tiles.
    impl.textures = OIIO::TextureSystem::create(false);
    impl.textures->attribute("max_memory_MB", kCacheMegabytes);
    impl.textures->attribute("max_open_files", 4);
    impl.handle = impl.textures->get_texture_handle(OIIO::ustring(texture));
    const OIIO::ImageSpec *spec = impl.handle ? impl.textures->imagespec(impl.handle, nullptr) : nullptr;
    if (!spec || !impl.textures->good(impl.handle)) {
        std::string reason = impl.textures->geterror();
        if (reason.empty()) reason = "not an image OpenImageIO can read";
        if (problem) *problem = "cannot read the environment image " + file + ": " + reason;
        return nullptr;
    }
    if (spec->width < 2 || spec->height < 1) {
        if (problem) *problem = "the environment image " + file + " is too small";
        return nullptr;
    }
    map->width_ = spec->width;
    map->height_ = spec->height;
    map->channels_ = std::max(1, std::min(3, spec->nchannels - (spec->alpha_channel >= 0 ? 1 : 0)));
    // A texture file made elsewhere in 8 or 16 bits holds sRGB values, which
    // are decoded after filtering.
    map->decodeSrgb_ = !impl.pyramid && !spec->format.is_floating_point() &&
                       spec->get_string_attribute("oiio:ColorSpace") != "Linear";
    impl.options.swrap = OIIO::TextureOpt::WrapPeriodic;
    impl.options.twrap = OIIO::TextureOpt::WrapClamp;
    impl.options.interpmode = OIIO::TextureOpt::InterpBilinear;

    constexpr double kDegrees = M_PI / 180.0;
    const standin::Axes axes =
        standin::axesFromHPB(rotationDegrees[0] * kDegrees, rotationDegrees[1] * kDegrees, rotationDegrees[2] * kDegrees);
    map->right_ = {axes.right[0], axes.right[1], axes.right[2]};
    map->up_ = {axes.up[0], axes.up[1], axes.up[2]};
    map->forward_ = {axes.forward[0], axes.forward[1], axes.forward[2]};
    map->intensity_ = static_cast<float>(intensity);
    return map;
}

EnvironmentMap::~EnvironmentMap() = default;

Rgb EnvironmentMap::Lookup(V3 d, const RayFootprint *footprint) const {
    // Into the image's frame, then to longitude and colatitude.
    const V3 l{Dot(d, right_), Dot(d, up_), Dot(d, forward_)};
    const double horizontal = std::max(l.x * l.x + l.z * l.z, 1e-12), h = std::sqrt(horizontal);
    const float s = static_cast<float>(0.5 + std::atan2(l.x, l.z) * (0.5 / M_PI));
    const float t = static_cast<float>(std::acos(std::clamp(l.y, -1.0, 1.0)) * (1.0 / M_PI));
    float ds[2] = {0, 0}, dt[2] = {0, 0};
    if (footprint) {
        // The step along the parallel (longitude) and along the meridian
        // (colatitude, unit tangent (x y / h, -h, z y / h), which stays
        // bounded at the poles where a step in y alone says little).
        const V3 steps[2] = {footprint->dDdx, footprint->dDdy};
        for (int k = 0; k < 2; ++k) {
            const V3 dl{Dot(steps[k], right_), Dot(steps[k], up_), Dot(steps[k], forward_)};
            const double dsk = (l.z * dl.x - l.x * dl.z) / (2.0 * M_PI * horizontal);
            const double dtk = ((dl.x * l.x + dl.z * l.z) * l.y / h - dl.y * h) / M_PI;
            ds[k] = static_cast<float>(std::clamp(dsk, -1.0, 1.0));
            dt[k] = static_cast<float>(std::clamp(dtk, -1.0, 1.0));
        }
    }
    OIIO::TextureOpt options = impl_->options;
    float c[3] = {0, 0, 0};
    impl_->textures->texture(impl_->handle, nullptr, options, s, t, ds[0], dt[0], ds[1], dt[1], channels_, c);
    if (channels_ < 3) c[1] = c[2] = c[0];
    if (decodeSrgb_)
        for (float &v : c) v = LinearFromSrgb(v);
    return {c[0] * intensity_, c[1] * intensity_, c[2] * intensity_};
}

} // namespace lentara::tool
