// render.cpp -- the threaded sample loop.
#include "tools/render.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "standin/camera.h"

namespace lentara::tool {

namespace {

// A small counter-based generator: the same (pixel, sample, dimension) always
// gives the same number.
std::uint32_t Hash(std::uint32_t a) {
    a ^= a >> 16;
    a *= 0x7feb352dU;
    a ^= a >> 15;
    a *= 0x846ca68bU;
    a ^= a >> 16;
    return a;
}

double Uniform(std::uint32_t key) { return (Hash(key) >> 8) * (1.0 / 16777216.0); }

} // namespace

PixelSample SampleFor(int x, int y, int s, int samples, std::uint32_t seed) {
    if (samples <= 1) return {0.5, 0.5, 0.0, 0.0, 0.5};
    const std::uint32_t pixel =
        Hash(Hash(static_cast<std::uint32_t>(x) ^ (seed * 0x9e3779b9U)) ^ static_cast<std::uint32_t>(y));
    const std::uint32_t base = Hash(pixel ^ static_cast<std::uint32_t>(s) * 0x85ebca6bU);
    // Stratify the sub-pixel position on a grid and the fraction in time.
    int side = 1;
    while ((side + 1) * (side + 1) <= samples) ++side;
    const int cell = s % (side * side);
    const double u = (cell % side + Uniform(base ^ 1u)) / side;
    const double v = (cell / side + Uniform(base ^ 2u)) / side;
    double lensX = 0, lensY = 0;
    standin::unitDiskSample(Uniform(base ^ 3u), Uniform(base ^ 4u), &lensX, &lensY);
    // One time stratum per sample, rotated per pixel so that time and
    // position strata do not line up the same way in every pixel.
    const int stratum = static_cast<int>((static_cast<std::uint32_t>(s) + Hash(pixel ^ 5u)) % static_cast<std::uint32_t>(samples));
    const double fraction = (stratum + Uniform(base ^ 6u)) / samples;
    return {u, v, lensX, lensY, fraction};
}

int DefaultThreadCount() {
    const unsigned int n = std::thread::hardware_concurrency();
    return n ? static_cast<int>(n) : 1;
}

Image Render(const World &world, const RaySource &camera, const RenderOptions &options, RenderStats *stats) {
    const int width = std::max(1, options.width), height = std::max(1, options.height);
    const int samples = std::max(1, options.samples);
    const int threads = std::max(1, std::min(options.threads > 0 ? options.threads : DefaultThreadCount(), height));
    Image image(width, height);
    const double filmW = camera.FilmWidth(), filmH = camera.FilmHeight();

    std::atomic<int> nextRow{0}, rowsDone{0};
    std::atomic<std::uint64_t> rays{0}, noRays{0};
    const auto start = std::chrono::steady_clock::now();

    auto work = [&] {
        std::uint64_t localRays = 0, localNoRays = 0;
        for (int y = nextRow.fetch_add(1); y < height; y = nextRow.fetch_add(1)) {
            for (int x = 0; x < width; ++x) {
                double r = 0, g = 0, b = 0;
                for (int s = 0; s < samples; ++s) {
                    const PixelSample ps = SampleFor(x, y, s, samples, options.seed);
                    double fx = 0, fy = 0;
                    standin::filmPoint(x + ps.u - 0.5, y + ps.v - 0.5, width, height, filmW, filmH, &fx, &fy);
                    CameraRay ray;
                    ++localRays;
                    if (!camera.Ray(fx, fy, ps.lensX, ps.lensY, ps.fraction, &ray)) {
                        ++localNoRays;
                        r += options.noRay.r;
                        g += options.noRay.g;
                        b += options.noRay.b;
                        continue;
                    }
                    const Rgb c = world.Trace(ray.origin, ray.direction, ps.fraction);
                    r += ray.filter[0][0] * c.r + ray.filter[0][1] * c.g + ray.filter[0][2] * c.b;
                    g += ray.filter[1][0] * c.r + ray.filter[1][1] * c.g + ray.filter[1][2] * c.b;
                    b += ray.filter[2][0] * c.r + ray.filter[2][1] * c.g + ray.filter[2][2] * c.b;
                }
                image.at(x, y) = {static_cast<float>(r / samples), static_cast<float>(g / samples),
                                  static_cast<float>(b / samples)};
            }
            rowsDone.fetch_add(1);
        }
        rays += localRays;
        noRays += localNoRays;
    };

    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i) pool.emplace_back(work);
    if (options.progress) {
        // The calling thread draws the bar while the pool works.
        pool.emplace_back(work);
        int shown = -1;
        while (rowsDone.load() < height) {
            const int done = rowsDone.load();
            const int percent = done * 100 / height;
            if (percent != shown) {
                shown = percent;
                const int bar = percent * 30 / 100;
                std::fprintf(stderr, "\r%-28.28s [%.*s%*s] %3d%%", options.label.c_str(), bar,
                             "##############################", 30 - bar, "", percent);
                std::fflush(stderr);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::fprintf(stderr, "\r%*s\r", 70, "");
        std::fflush(stderr);
    } else {
        work();
    }
    for (std::thread &t : pool) t.join();

    if (stats) {
        stats->rays = rays.load();
        stats->noRays = noRays.load();
        stats->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        stats->threads = threads;
    }
    return image;
}

std::string FormatStats(const RenderStats &stats) {
    char text[160];
    const double perSecond = stats.seconds > 0 ? stats.rays / stats.seconds : 0.0;
    std::snprintf(text, sizeof text, "%llu rays in %.2f s on %d thread%s (%.2f M rays/s)%s",
                  static_cast<unsigned long long>(stats.rays), stats.seconds, stats.threads,
                  stats.threads == 1 ? "" : "s", perSecond / 1e6,
                  stats.noRays ? (", " + std::to_string(stats.noRays) + " without a ray").c_str() : "");
    return text;
}

} // namespace lentara::tool
