// environment.h -- a latitude-longitude (equirectangular) image around the
// scene, looked up through OpenImageIO's texture system: filtered over each
// ray's footprint from MIP levels the image cache makes on demand, so a large
// panorama seen small does not alias, and held in a bounded tile cache rather
// than in full.
//
// Convention: the image's centre column looks along +Z, moving right in the
// image turns towards +X, the top row looks along +Y. The rotation turns the
// image the way an item's heading, pitch and bank turn the item.
#pragma once

#include <memory>
#include <string>

#include "tools/world.h"

namespace lentara::tool {

// How much a ray's unit direction changes from one pixel to the next,
// across and down the image.
struct RayFootprint {
    V3 dDdx, dDdy;
};

class EnvironmentMap {
public:
    // The most memory the tile cache of one map holds.
    static constexpr float kCacheMegabytes = 256.0f;

    // Opens `file`; null with the reason in `problem` when it cannot be read.
    static std::unique_ptr<EnvironmentMap> Open(const std::string &file, const double rotationDegrees[3], double intensity,
                                                std::string *problem);
    ~EnvironmentMap();
    EnvironmentMap(const EnvironmentMap &) = delete;
    EnvironmentMap &operator=(const EnvironmentMap &) = delete;

    // Radiance seen along a unit world direction, filtered over the footprint
    // (a point lookup without one). Safe from many threads at once.
    Rgb Lookup(V3 direction, const RayFootprint *footprint) const;

    int width() const { return width_; }
    int height() const { return height_; }

private:
    EnvironmentMap() = default;
    struct Impl;
    std::unique_ptr<Impl> impl_;
    V3 right_, up_, forward_; // the image's axes in the world
    float intensity_ = 1.0f;
    bool decodeSrgb_ = false;
    int channels_ = 3;
    int width_ = 0, height_ = 0;
};

} // namespace lentara::tool
