// environment.cpp -- the latitude-longitude environment through OpenImageIO's
// texture system.
#include "tools/environment.h"

#include <algorithm>
#include <cmath>

#include <OpenImageIO/texture.h>

#include "standin/scene.h"

namespace lentara::tool {

struct EnvironmentMap::Impl {
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
    // A private texture system with its own cache: tiles of 64 x 64 pixels
    // read from files that are not tiled, MIP levels made from them when a
    // lookup wants a coarser level, at most kCacheMegabytes of tiles held.
    impl.textures = OIIO::TextureSystem::create(false);
    impl.textures->attribute("max_memory_MB", kCacheMegabytes);
    impl.textures->attribute("autotile", 64);
    impl.textures->attribute("automip", 1);
    impl.textures->attribute("max_open_files", 4);
    impl.handle = impl.textures->get_texture_handle(OIIO::ustring(file));
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
    map->channels_ = std::min(3, spec->nchannels - (spec->alpha_channel >= 0 ? 1 : 0));
    if (map->channels_ < 1) map->channels_ = 1;
    // Integer images are photographs in sRGB unless they say otherwise.
    map->decodeSrgb_ = !spec->format.is_floating_point() && spec->get_string_attribute("oiio:ColorSpace") != "Linear";
    impl.options.swrap = OIIO::TextureOpt::WrapPeriodic;
    impl.options.twrap = OIIO::TextureOpt::WrapClamp;
    impl.options.interpmode = OIIO::TextureOpt::InterpBilinear;
    impl.options.anisotropic = 8;

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
    const double horizontal = std::max(l.x * l.x + l.z * l.z, 1e-12);
    const float s = static_cast<float>(0.5 + std::atan2(l.x, l.z) * (0.5 / M_PI));
    const float t = static_cast<float>(std::acos(std::clamp(l.y, -1.0, 1.0)) * (1.0 / M_PI));
    float ds[2] = {0, 0}, dt[2] = {0, 0};
    if (footprint) {
        // Chain rule through atan2 and acos (the direction is unit length).
        const V3 steps[2] = {footprint->dDdx, footprint->dDdy};
        for (int k = 0; k < 2; ++k) {
            const V3 dl{Dot(steps[k], right_), Dot(steps[k], up_), Dot(steps[k], forward_)};
            const double dsk = (l.z * dl.x - l.x * dl.z) / (2.0 * M_PI * horizontal);
            const double dtk = -dl.y / (M_PI * std::sqrt(horizontal));
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
