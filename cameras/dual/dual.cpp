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

struct Dual {
    static constexpr char serverName[] = "VantorMultiCam";
    static constexpr char describeText[] = "VantorMultiCam Dec 11 2010 10:02:21";
    static constexpr const GridLayout &layout = kLayout;
    static constexpr unsigned int logoId = ID_LOGO, versionId = ID_VERSION, firstChoiceId = ID_LEFT;
    static constexpr ControlDesc controls[] = {
        Thumbnail(ID_LOGO),
        VersionLine(ID_VERSION),
        OwnControl(ID_LEFT, "Cam 1 (Left Side of Frame)", "iPopChoice", "integer", "Left Camera"),
        OwnControl(ID_RIGHT, "Cam 2 (Right Side of Frame)", "iPopChoice", "integer", "Right Camera"),
    };
};

const CameraServers kServers = GridType<Dual>::Servers();

} // namespace MultiCam
