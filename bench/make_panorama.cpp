// make_panorama -- writes a synthetic equirectangular panorama for the
// reprojection benchmark and the README's picture: a sky over a checkered
// ground, a grid every 15 degrees, the six axis directions labelled where
// they lie, and a sun far brighter than 1 (HDR).
//   make_panorama OUT.exr WIDTHxHEIGHT
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/image.h"
#include "tools/text.h"

using namespace lentara::tool;

namespace {

// Pixel position of a direction given by longitude (0 forward, positive
// toward +X) and latitude (positive up), in degrees.
void PixelOf(double lon, double lat, int w, int h, int &x, int &y) {
    x = static_cast<int>((0.5 + lon / 360.0) * w);
    y = static_cast<int>((0.5 - lat / 180.0) * h);
}

} // namespace

int main(int argc, char **argv) {
    int w = 0, h = 0;
    if (argc != 3 || std::sscanf(argv[2], "%dx%d", &w, &h) != 2 || w < 16 || h < 8) {
        std::fprintf(stderr, "usage: make_panorama OUT WIDTHxHEIGHT\n");
        return 2;
    }
    Image image(w, h);
    const double sunLon = 40, sunLat = 35, sunRadius = 2.5;
    const double sunX = std::cos(sunLat * M_PI / 180) * std::sin(sunLon * M_PI / 180), sunY = std::sin(sunLat * M_PI / 180),
                 sunZ = std::cos(sunLat * M_PI / 180) * std::cos(sunLon * M_PI / 180);
    for (int y = 0; y < h; ++y) {
        const double lat = 90.0 - (y + 0.5) * 180.0 / h;
        for (int x = 0; x < w; ++x) {
            const double lon = (x + 0.5) * 360.0 / w - 180.0;
            const double cl = std::cos(lat * M_PI / 180);
            const double dx = cl * std::sin(lon * M_PI / 180), dy = std::sin(lat * M_PI / 180), dz = cl * std::cos(lon * M_PI / 180);
            Rgb c;
            if (lat >= 0) {
                const float t = static_cast<float>(std::pow(lat / 90.0, 0.6));
                c = {0.55f - 0.45f * t, 0.70f - 0.45f * t, 0.95f - 0.25f * t};
            } else {
                const bool odd = (static_cast<int>(std::floor(lon / 10)) + static_cast<int>(std::floor(lat / 10))) & 1;
                c = odd ? Rgb{0.45f, 0.30f, 0.18f} : Rgb{0.75f, 0.65f, 0.45f};
            }
            // Grid lines every 15 degrees, one pixel of the panorama wide.
            const double pxPerDegree = w / 360.0;
            const double lonOff = std::fabs(std::remainder(lon, 15.0)) * pxPerDegree;
            const double latOff = std::fabs(std::remainder(lat, 15.0)) * pxPerDegree;
            if (lonOff < 0.5 || latOff < 0.5) c = {0.05f, 0.05f, 0.05f};
            // The sun, 50 times brighter than white, and its glow.
            const double cosSun = dx * sunX + dy * sunY + dz * sunZ;
            if (cosSun > std::cos(sunRadius * M_PI / 180)) c = {50.0f, 45.0f, 35.0f};
            else if (cosSun > 0) {
                const float glow = static_cast<float>(std::pow(cosSun, 200.0) * 3.0);
                c = {c.r + glow, c.g + glow * 0.9f, c.b + glow * 0.7f};
            }
            image.at(x, y) = LinearFromSrgb(c);
        }
    }
    TextRenderer font;
    if (font.Open(DefaultFontPath(), std::max(8, h / 14)).empty()) {
        struct Label {
            const char *text;
            double lon, lat;
        };
        const Label labels[] = {{"FRONT +Z", 0, 5}, {"RIGHT +X", 90, 5}, {"BACK -Z", 180, 5}, {"LEFT -X", -90, 5},
                                {"UP +Y", 0, 80}, {"DOWN -Y", 0, -80}};
        for (const Label &l : labels) {
            int x = 0, y = 0;
            PixelOf(l.lon, l.lat, w, h, x, y);
            const int width = font.Measure(l.text);
            font.Draw(image, x - width / 2, y, l.text, {1.0f, 0.02f, 0.02f});
            // A label on the seam continues on the other side.
            if (x + width / 2 > w) font.Draw(image, x - w - width / 2, y, l.text, {1.0f, 0.02f, 0.02f});
        }
    }
    const std::string problem = WriteImage(argv[1], image, SampleDepth::Default);
    if (!problem.empty()) {
        std::fprintf(stderr, "make_panorama: %s\n", problem.c_str());
        return 1;
    }
    return 0;
}
