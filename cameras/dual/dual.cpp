// dual.cpp -- the Dual camera ("VantorMultiCam"): the left half of the frame
// through one scene camera, the right half through another.
//
// Panel: two camera-choice popups ("(none)" and every other scene camera).
// Scene block: the left choice, then the right one, one unsigned 32-bit value
// each.
#include "cameras/dual/dual.h"

#include "cameras/dual/layout.h"
#include "composite/gridcamera.h"

namespace MultiCam {

using namespace lentara;

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    TileChoice(ID_LEFT, "Cam 1 (Left Side of Frame)", "Left Camera"),
    TileChoice(ID_RIGHT, "Cam 2 (Right Side of Frame)", "Right Camera"),
};

constexpr GridTypeInfo kInfo = {"VantorMultiCam", "VantorMultiCam Dec 11 2010 10:02:21", kLayout, ID_LOGO, ID_VERSION,
                                 ID_LEFT};

const CameraServers kServers = GridType<kInfo, kControls>::Servers();

} // namespace MultiCam
