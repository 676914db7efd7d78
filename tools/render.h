// render.h -- the preview renderer: asks a camera for the ray of every
// sample of every pixel and traces it through the world, in parallel over
// blocks of pixels (oneTBB). Each pixel draws its samples from its own seed
// and its footprint from its own neighbours, so the image is the same for any
// thread count and any split into blocks.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "tools/image.h"
#include "tools/world.h"

namespace lentara::tool {

// One camera ray: origin, direction and the colour filter the camera asked for.
struct CameraRay {
    V3 origin, direction;
    double filter[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

// Where the renderer gets its rays. Ray() must be safe to call from several
// threads at once.
class RaySource {
public:
    virtual ~RaySource() = default;
    // false when the camera gives no ray for this sample.
    virtual bool Ray(double filmX, double filmY, double lensX, double lensY, double fraction, CameraRay *ray) const = 0;
    virtual double FilmWidth() const = 0;
    virtual double FilmHeight() const = 0;
};

struct RenderOptions {
    int width = 320, height = 180;
    int samples = 4;       // per pixel: sub-pixel position, lens position and exposure fraction
    int threads = 0;       // 0: every core
    std::uint32_t seed = 0; // mixed into every pixel's seed (the frame number, say)
    bool progress = false; // progress bar on stderr
    std::string label;     // shown with the progress bar
    Rgb noRay{0, 0, 0};    // colour of samples without a ray
    bool alpha = false;    // fill Image::alpha with the share of samples that got a ray
};

struct RenderStats {
    std::uint64_t rays = 0;   // samples (the extra rays that give environment lookups their footprints not counted)
    std::uint64_t noRays = 0; // of those, how many gave no ray
    double seconds = 0;
    int threads = 1;
};

// The samples of one pixel: film offset within the pixel (0..1), lens
// position on the unit disk and exposure fraction (0..1).
struct PixelSample {
    double u, v, lensX, lensY, fraction;
};
PixelSample SampleFor(int x, int y, int s, int samples, std::uint32_t seed);

Image Render(const World &world, const RaySource &camera, const RenderOptions &options, RenderStats *stats = nullptr);

int DefaultThreadCount();
std::string FormatStats(const RenderStats &stats);

} // namespace lentara::tool
