// eyeimage.h -- how the stereo cameras share one film between two eyes: which
// eye a film point belongs to, and the point relative to that eye's image.
#pragma once

namespace lentara {

enum class EyeLayout {
    OverUnder,  // left eye on top (y > 0), right eye below
    SideBySide, // left eye left (x < 0), right eye right
    LeftOnly,   // the whole frame for one eye
    RightOnly,
};

// One eye's view of a film point: the eye's sign (-1 left, +1 right), the
// film point relative to the centre of the eye's image, and that image's size.
struct EyePoint {
    double sign;
    double x, y;
    double width, height;
};

// The eye of film point (x, y) on a film W x H. Half-frame boundaries belong
// to the right eye (x = 0 side by side, y = 0 over-under).
inline EyePoint EyePointOf(EyeLayout layout, double x, double y, double W, double H) {
    switch (layout) {
    case EyeLayout::OverUnder:
        return y > 0.0 ? EyePoint{-1.0, x, y - 0.25 * H, W, 0.5 * H} : EyePoint{1.0, x, y + 0.25 * H, W, 0.5 * H};
    case EyeLayout::SideBySide:
        return x < 0.0 ? EyePoint{-1.0, x + 0.25 * W, y, 0.5 * W, H} : EyePoint{1.0, x - 0.25 * W, y, 0.5 * W, H};
    case EyeLayout::LeftOnly: return {-1.0, x, y, W, H};
    case EyeLayout::RightOnly: break;
    }
    return {1.0, x, y, W, H};
}

} // namespace lentara
