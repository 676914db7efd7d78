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

struct FourUp {
    static constexpr char serverName[] = "Vantor4UpCam";
    static constexpr char describeText[] = "Vantor4UpCam Dec 11 2010 10:02:16";
    static constexpr const GridLayout &layout = kLayout;
    static constexpr unsigned int logoId = ID_LOGO, versionId = ID_VERSION, firstChoiceId = ID_CAM_1_1;
    static constexpr ControlDesc controls[] = {
        Thumbnail(ID_LOGO),
        VersionLine(ID_VERSION),
        OwnControl(ID_CAM_1_1, "1-1 Camera", "iPopChoice", "integer"),
        OwnControl(ID_CAM_1_2, "1-2 Camera", "iPopChoice", "integer"),
        OwnControl(ID_CAM_2_1, "2-1 Camera", "iPopChoice", "integer"),
        OwnControl(ID_CAM_2_2, "2-2 Camera", "iPopChoice", "integer"),
    };
};

const CameraServers kServers = GridType<FourUp>::Servers();

} // namespace FourUpCam
