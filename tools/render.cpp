// render.cpp -- the parallel sample loop.
#include "tools/render.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <tbb/blocked_range2d.h>
#include <tbb/global_control.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#if defined(__SANITIZE_THREAD__)
#define LENTARA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LENTARA_THREAD_SANITIZER 1
#endif
#endif
#ifndef LENTARA_THREAD_SANITIZER
#define LENTARA_THREAD_SANITIZER 0
#endif

#include "standin/camera.h"
#include "tools/environment.h"

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

namespace {

// The rays through the pixel centres of a block and one pixel around it (lens
// centre, mid-exposure): the footprints of the block's pixels, and their rays
// when a pixel takes one sample (which is then exactly that ray).
class CentreRays {
public:
    CentreRays(const RaySource &camera, int x0, int y0, int x1, int y1, int width, int height)
        : x0_(x0 - 1), y0_(y0 - 1), columns_(x1 - x0 + 2), rows_(y1 - y0 + 2),
          rays_(static_cast<std::size_t>(columns_) * rows_), ok_(rays_.size(), 0), units_(rays_.size()) {
        const double filmW = camera.FilmWidth(), filmH = camera.FilmHeight();
        for (int y = y0_; y < y0_ + rows_; ++y)
            for (int x = x0_; x < x0_ + columns_; ++x) {
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                const std::size_t i = Index(x, y);
                double fx = 0, fy = 0;
                standin::filmPoint(x, y, width, height, filmW, filmH, &fx, &fy);
                ok_[i] = camera.Ray(fx, fy, 0.0, 0.0, 0.5, &rays_[i]);
                if (ok_[i]) units_[i] = Unit(rays_[i].direction);
            }
    }

    const CameraRay *At(int x, int y) const { return ok_[Index(x, y)] ? &rays_[Index(x, y)] : nullptr; }

    // The change of direction to the nearer neighbour on each axis (the
    // other one may lie across a seam of the projection or have no ray).
    RayFootprint Footprint(int x, int y, double scale) const {
        RayFootprint f;
        if (!ok_[Index(x, y)]) return f;
        f.dDdx = scale * Step(x, y, 1, 0);
        f.dDdy = scale * Step(x, y, 0, 1);
        return f;
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y - y0_) * columns_ + (x - x0_); }
    V3 Step(int x, int y, int dx, int dy) const {
        const V3 d = units_[Index(x, y)];
        const std::size_t ahead = Index(x + dx, y + dy), behind = Index(x - dx, y - dy);
        const bool a = ok_[ahead], b = ok_[behind];
        const V3 forward = units_[ahead] - d, backward = d - units_[behind];
        if (a && (!b || Dot(forward, forward) <= Dot(backward, backward))) return forward;
        return b ? backward : V3{};
    }

    int x0_, y0_, columns_, rows_;
    std::vector<CameraRay> rays_;
    std::vector<char> ok_;
    std::vector<V3> units_;
};

} // namespace

Image Render(const World &world, const RaySource &camera, const RenderOptions &options, RenderStats *stats) {
    const int width = std::max(1, options.width), height = std::max(1, options.height);
    const int samples = std::max(1, options.samples);
    const int threads = std::max(1, std::min(options.threads > 0 ? options.threads : DefaultThreadCount(), height));
    Image image(width, height);
    if (options.alpha) image.alpha.assign(image.pixels.size(), 1.0f);
    const double filmW = camera.FilmWidth(), filmH = camera.FilmHeight();
    // Environment lookups are filtered over the pixel's footprint, shared by
    // its samples, each of which covers a 1/samples share of the pixel.
    const bool footprints = static_cast<bool>(world.map);
    const double footprintScale = 1.0 / std::sqrt(static_cast<double>(samples));

    std::atomic<std::uint64_t> rays{0}, noRays{0}, pixelsDone{0};
    std::atomic<int> shown{-1};
    std::mutex progressLine;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    const auto start = std::chrono::steady_clock::now();

    auto renderBlock = [&](const tbb::blocked_range2d<int> &block) {
        const int y0 = block.rows().begin(), y1 = block.rows().end();
        const int x0 = block.cols().begin(), x1 = block.cols().end();
        std::optional<CentreRays> centres;
        if (footprints) centres.emplace(camera, x0, y0, x1, y1, width, height);
        std::uint64_t localRays = 0, localNoRays = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                RayFootprint footprint;
                if (centres) footprint = centres->Footprint(x, y, footprintScale);
                double r = 0, g = 0, b = 0;
                int got = 0;
                for (int s = 0; s < samples; ++s) {
                    const PixelSample ps = SampleFor(x, y, s, samples, options.seed);
                    CameraRay ray;
                    bool hasRay = false;
                    if (centres && samples == 1) {
                        const CameraRay *centre = centres->At(x, y);
                        if ((hasRay = centre != nullptr)) ray = *centre;
                    } else {
                        double fx = 0, fy = 0;
                        standin::filmPoint(x + ps.u - 0.5, y + ps.v - 0.5, width, height, filmW, filmH, &fx, &fy);
                        hasRay = camera.Ray(fx, fy, ps.lensX, ps.lensY, ps.fraction, &ray);
                    }
                    ++localRays;
                    if (!hasRay) {
                        ++localNoRays;
                        r += options.noRay.r;
                        g += options.noRay.g;
                        b += options.noRay.b;
                        continue;
                    }
                    ++got;
                    const Rgb c = world.Trace(ray.origin, ray.direction, ps.fraction, centres ? &footprint : nullptr);
                    r += ray.filter[0][0] * c.r + ray.filter[0][1] * c.g + ray.filter[0][2] * c.b;
                    g += ray.filter[1][0] * c.r + ray.filter[1][1] * c.g + ray.filter[1][2] * c.b;
                    b += ray.filter[2][0] * c.r + ray.filter[2][1] * c.g + ray.filter[2][2] * c.b;
                }
                image.at(x, y) = {static_cast<float>(r / samples), static_cast<float>(g / samples),
                                  static_cast<float>(b / samples)};
                if (options.alpha)
                    image.alpha[static_cast<std::size_t>(y) * width + x] = static_cast<float>(got) / samples;
            }
        rays += localRays;
        noRays += localNoRays;
        const std::uint64_t done = pixelsDone += static_cast<std::uint64_t>(y1 - y0) * (x1 - x0);
        if (!options.progress) return;
        // Whichever block crosses a whole percent draws the bar.
        const int percent = static_cast<int>(done * 100 / pixels);
        int before = shown.load();
        if (percent > before && shown.compare_exchange_strong(before, percent) && progressLine.try_lock()) {
            const int bar = percent * 30 / 100;
            std::fprintf(stderr, "\r%-28.28s [%.*s%*s] %3d%%", options.label.c_str(), bar,
                         "##############################", 30 - bar, "", percent);
            std::fflush(stderr);
            progressLine.unlock();
        }
    };

    // Blocks of pixel rows and columns handed to the threads.
    constexpr int kRows = 16, kCols = 32;
#if LENTARA_THREAD_SANITIZER
    {
        // ThreadSanitizer cannot see the synchronisation inside the oneTBB
        // library (it is not instrumented), so such a build hands blocks of
        // the same size to plain threads, whose start and join it does see.
        // Every pixel is computed alone, so the image is the same either way.
        const int across = (width + kCols - 1) / kCols, blocks = across * ((height + kRows - 1) / kRows);
        std::atomic<int> next{0};
        auto worker = [&] {
            for (int b; (b = next++) < blocks;) {
                const int y0 = b / across * kRows, x0 = b % across * kCols;
                renderBlock(tbb::blocked_range2d<int>(y0, std::min(height, y0 + kRows), kRows, x0,
                                                      std::min(width, x0 + kCols), kCols));
            }
        };
        std::vector<std::thread> pool;
        for (int i = 1; i < threads; ++i) pool.emplace_back(worker);
        worker();
        for (std::thread &t : pool) t.join();
    }
#else
    {
        // As many threads as asked for, also beyond the number of cores.
        tbb::global_control parallelism(tbb::global_control::max_allowed_parallelism, static_cast<std::size_t>(threads));
        tbb::task_arena arena(threads);
        arena.execute([&] { tbb::parallel_for(tbb::blocked_range2d<int>(0, height, kRows, 0, width, kCols), renderBlock); });
    }
#endif
    if (options.progress) {
        std::fprintf(stderr, "\r%*s\r", 70, "");
        std::fflush(stderr);
    }

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
