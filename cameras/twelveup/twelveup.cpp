// twelveup.cpp -- the 12Up camera ("Vantor12UpCam"): the frame as 4 columns by
// 3 rows, each tile through a scene camera picked in the panel.
//
// Tiles are named row-column from the bottom left (1-1 ... 1-4 along the
// bottom row, 3-4 top right); tile number = (row - 1) * 4 + (column - 1).
// Scene block: the twelve choices in tile order, one unsigned 32-bit value
// each.
#include "cameras/twelveup/twelveup.h"

#include "cameras/twelveup/layout.h"
#include "composite/gridcamera.h"

namespace TwelveUpCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

// Panel ids; tile n's control is ID_CAM_FIRST + n, up to 0x8011.
enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_CAM_FIRST = 0x8006 };

#define CAMERA_CONTROL(n, label) OwnControl(ID_CAM_FIRST + (n), label, "iPopChoice", "integer")

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO),
    VersionLine(ID_VERSION),
    CAMERA_CONTROL(0, "1-1 Camera"), CAMERA_CONTROL(1, "1-2 Camera"),
    CAMERA_CONTROL(2, "1-3 Camera"), CAMERA_CONTROL(3, "1-4 Camera"),
    CAMERA_CONTROL(4, "2-1 Camera"), CAMERA_CONTROL(5, "2-2 Camera"),
    CAMERA_CONTROL(6, "2-3 Camera"), CAMERA_CONTROL(7, "2-4 Camera"),
    CAMERA_CONTROL(8, "3-1 Camera"), CAMERA_CONTROL(9, "3-2 Camera"),
    CAMERA_CONTROL(10, "3-3 Camera"), CAMERA_CONTROL(11, "3-4 Camera"),
};

#undef CAMERA_CONTROL

class CameraPlugin;
auto InterfaceHint = GridHints<CameraPlugin, &services, kLayout.TileCount()>(ID_LOGO, ID_VERSION, ID_CAM_FIRST);

const CameraTypeDesc kDesc =
    GridCameraType("Vantor12UpCam", "Vantor12UpCam Dec 11 2010 10:02:14", services, gInstance).Panel<kControls>(InterfaceHint.data());

class CameraPlugin final : public GridCameraOf<kLayout> {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : GridCameraOf(kDesc, ID_CAM_FIRST, item) {}
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace TwelveUpCam
