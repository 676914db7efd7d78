// world.h -- what the preview renderer traces: spheres and boxes that may
// move during the exposure, a checkered ground plane and a sky with a sun.
// Pure geometry and shading; the host scene only supplies the poses.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "tools/image.h"

namespace lentara::tool {

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(double s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(V3 a) { return std::sqrt(Dot(a, a)); }
inline V3 Unit(V3 a) {
    const double len = Length(a);
    return len > 0 ? (1.0 / len) * a : V3{};
}
inline bool Finite(V3 a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

// Position and axes of an item at one moment.
struct Placement {
    V3 position;
    V3 right{1, 0, 0}, up{0, 1, 0}, forward{0, 0, 1};
};

struct Material {
    Rgb colour{0.8f, 0.8f, 0.8f};
    bool checker = false;
    Rgb colour2{0.2f, 0.2f, 0.2f};
    double checkerSize = 1.0;
};

enum class ShapeKind { Sphere, Box };

struct Shape {
    ShapeKind kind = ShapeKind::Sphere;
    double radius = 0.5; // sphere
    V3 size{1, 1, 1};     // box: full edge lengths along the item's right, up, forward axes
    Material material;
};

struct Environment {
    Rgb zenith{0.18f, 0.36f, 0.78f};
    Rgb horizon{0.78f, 0.86f, 0.95f};
    Rgb below{0.30f, 0.28f, 0.26f}; // sky below the horizon when there is no ground
    V3 sunDirection{0.4, 0.55, 0.75}; // towards the sun; normalised on use
    Rgb sun{1.0f, 0.95f, 0.8f};
    double sunRadiusDegrees = 2.0; // angular radius of the disk
    bool ground = true;
    double groundHeight = 0.0;
    Material groundMaterial{{0.85f, 0.85f, 0.82f}, true, {0.25f, 0.27f, 0.30f}, 1.0};
    double fogDistance = 150.0; // the ground fades into the horizon colour
    // A latitude-longitude image in place of the sky (empty: none), turned by
    // heading, pitch and bank in degrees and scaled by the intensity.
    std::string file;
    double rotation[3] = {0, 0, 0};
    double intensity = 1.0;
};

class EnvironmentMap;
struct RayFootprint;

// One object of the frame: its shape and its placement at evenly spaced
// fractions of the exposure (one entry when it does not move).
struct FrameObject {
    Shape shape;
    std::vector<Placement> placements;
    Placement At(double fraction) const;
};

class World {
public:
    Environment environment;
    std::shared_ptr<const EnvironmentMap> map; // the opened environment.file
    std::vector<FrameObject> objects;

    // Colour seen along the ray at the exposure fraction. `direction` need not
    // be unit length. The footprint (optional) filters environment lookups.
    Rgb Trace(V3 origin, V3 direction, double fraction, const RayFootprint *footprint = nullptr) const;
    Rgb Sky(V3 unitDirection, const RayFootprint *footprint = nullptr) const;

private:
    struct Hit {
        double t;
        V3 normal;
        V3 point;
        const Material *material;
    };
    bool Intersect(V3 origin, V3 dir, double fraction, double tMax, Hit *hit) const;
};

} // namespace lentara::tool
