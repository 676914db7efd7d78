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

HostServices services;
void *gInstance = nullptr;

enum : unsigned int { ID_LOGO = 0x8000, ID_VERSION = 0x8002, ID_LEFT = 0x8006, ID_RIGHT };

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO),
    VersionLine(ID_VERSION),
    OwnControl(ID_LEFT, "Cam 1 (Left Side of Frame)", "iPopChoice", "integer", "Left Camera"),
    OwnControl(ID_RIGHT, "Cam 2 (Right Side of Frame)", "iPopChoice", "integer", "Right Camera"),
};

class CameraPlugin;
auto InterfaceHint = GridHints<CameraPlugin, &services, kLayout.TileCount()>(ID_LOGO, ID_VERSION, ID_LEFT);

const CameraTypeDesc kDesc =
    GridCameraType("VantorMultiCam", "VantorMultiCam Dec 11 2010 10:02:21", services, gInstance).Panel<kControls>(InterfaceHint.data());

class CameraPlugin final : public GridCameraOf<kLayout> {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : GridCameraOf(kDesc, ID_LEFT, item) {}
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace MultiCam
