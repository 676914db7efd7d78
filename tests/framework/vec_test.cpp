// Handing a computed ray to the host.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "framework/vec.h"

using namespace lentara;

namespace {
struct Candidate {
    Vec3 pos, dir;
};
} // namespace

TEST(WriteRay, DirectionAsFilmNormalHandsOverExactlyWhatTheGeneralFormDoes) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double big = std::numeric_limits<double>::max(), tiny = std::numeric_limits<double>::denorm_min();
    const Candidate good = {{1.5, -2.0, 3.25}, {0.6, 0.0, -0.8}};
    std::vector<Candidate> rays = {good};
    for (int slot = 0; slot < 6; ++slot)
        for (double bad : {nan, inf, -inf, big, -big, tiny, 0.0, -0.0}) {
            Candidate r = good;
            double *v[6] = {&r.pos.x, &r.pos.y, &r.pos.z, &r.dir.x, &r.dir.y, &r.dir.z};
            *v[slot] = bad;
            rays.push_back(r);
        }
    rays.push_back({good.pos, {0.0, -0.0, 0.0}});  // no direction
    rays.push_back({good.pos, {tiny, 0.0, 0.0}});  // the smallest direction there is
    rays.push_back({good.pos, {big, big, -big}}); // magnitudes that sum past the largest double

    int refused = 0;
    for (const Candidate &r : rays) {
        LWCameraRay a, b;
        std::memset(&a, 0x5a, sizeof a);
        std::memset(&b, 0x5a, sizeof b);
        const int ra = WriteRay(&a, r.pos, r.dir);
        const int rb = WriteRay(&b, r.pos, r.dir, r.dir);
        EXPECT_EQ(ra, rb);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
        refused += ra == LWCAMTYPEEVAL_NO_RAY;
    }
    EXPECT_EQ(refused, 6 * 3 + 1); // NaN and the two infinities in every slot, and the zero direction
}

TEST(FilmIsUsable, FiniteAndNotZeroInBothSizes) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double big = std::numeric_limits<double>::max(), tiny = std::numeric_limits<double>::denorm_min();
    const double values[] = {0.036, -0.024, big, -big, tiny, -tiny, 0.0, -0.0, nan, -nan, inf, -inf};
    int usable = 0;
    for (double w : values)
        for (double h : values) {
            const bool expected = std::isfinite(w) && std::isfinite(h) && w != 0.0 && h != 0.0;
            EXPECT_EQ(FilmIsUsable(w, h), expected) << w << " x " << h;
            usable += expected;
        }
    EXPECT_EQ(usable, 36); // six usable values each way
}

TEST(AllFinite, OneTestForAnyNumberOfValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double big = std::numeric_limits<double>::max(), tiny = std::numeric_limits<double>::denorm_min();
    for (double bad : {nan, -nan, inf, -inf})
        for (int slot = 0; slot < 5; ++slot) {
            double v[5] = {big, -big, tiny, -0.0, 1.5};
            v[slot] = bad;
            EXPECT_FALSE(AllFinite(v[0], v[1], v[2], v[3], v[4])) << slot << " " << bad;
        }
    EXPECT_TRUE(AllFinite(big, -big, tiny, -0.0, 1.5)); // differences of the largest values do not overflow
    EXPECT_TRUE(AllFinite(0.0));
    EXPECT_FALSE(AllFinite(inf));
}
