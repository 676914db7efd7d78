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

HostServices services;
void *gInstance = nullptr;

enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_CAM_1_1 = 0x8006, ID_CAM_1_2, ID_CAM_2_1, ID_CAM_2_2 };

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO),
    VersionLine(ID_VERSION),
    OwnControl(ID_CAM_1_1, "1-1 Camera", "iPopChoice", "integer"),
    OwnControl(ID_CAM_1_2, "1-2 Camera", "iPopChoice", "integer"),
    OwnControl(ID_CAM_2_1, "2-1 Camera", "iPopChoice", "integer"),
    OwnControl(ID_CAM_2_2, "2-2 Camera", "iPopChoice", "integer"),
};

class CameraPlugin;
auto InterfaceHint = GridHints<CameraPlugin, &services, kLayout.TileCount()>(ID_LOGO, ID_VERSION, ID_CAM_1_1);

const CameraTypeDesc kDesc =
    GridCameraType("Vantor4UpCam", "Vantor4UpCam Dec 11 2010 10:02:16", services, gInstance).Panel<kControls>(InterfaceHint.data());

class CameraPlugin final : public GridCameraOf<kLayout> {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : GridCameraOf(kDesc, ID_CAM_1_1, item) {}
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace FourUpCam
