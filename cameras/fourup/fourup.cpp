// fourup.cpp -- the 4Up camera ("Vantor4UpCam"): the frame as 2 x 2 quarters,
// each through a scene camera picked in the panel.
//
// Tiles are named row-column from the bottom left: 1-1 bottom left, 1-2
// bottom right, 2-1 top left, 2-2 top right. Scene block: the four choices in
// that order, one unsigned 32-bit value each.
#include "cameras/fourup/fourup.h"

#include "cameras/fourup/layout.h"
#include "composite/gridcamera.h"

namespace FourUpCam {

using namespace lentara;

constexpr GridTypeInfo kInfo = {"Vantor4UpCam", "Vantor4UpCam Dec 11 2010 10:02:16", kLayout, ID_LOGO, ID_VERSION,
                                 ID_CAM_1_1};

// The choices as the tiles lie, bottom row first.
constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    TileChoice(ID_CAM_1_1, "1-1 Camera"), TileChoice(ID_CAM_1_2, "1-2 Camera"),
    TileChoice(ID_CAM_2_1, "2-1 Camera"), TileChoice(ID_CAM_2_2, "2-2 Camera"),
};

const CameraServers kServers = GridType<kInfo, kControls>::Servers();

} // namespace FourUpCam
