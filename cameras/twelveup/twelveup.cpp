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

enum : unsigned int {
    ID_LOGO = 0x8000,
    ID_VERSION = 0x8002,
    ID_CAM_FIRST = 0x8006, // tile n's control is ID_CAM_FIRST + n, up to 0x8011
};

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

extern LWXPanelHint InterfaceHint[];

const CameraTypeDesc kDesc = CameraType("Vantor12UpCam", "Vantor12UpCam Dec 11 2010 10:02:14", services, gInstance, kNeedsCameraEval)
                                   .Panel<kControls>(InterfaceHint)
                                   .Flags(LWCAMTYPEF_SUPPORTSDOF)
                                   .OneAtATime(kOneMulticam);

class CameraPlugin final : public GridCameraOf<kLayout> {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : GridCameraOf(kDesc, ID_CAM_FIRST, item) {}
};


int PanelPopCount(void *data) { return lentara::PanelPopCount<CameraPlugin, &services, &gInstance>(data); }
const char *PanelPopName(void *data, int index) {
    return lentara::PanelPopName<CameraPlugin, &services, &gInstance>(data, index);
}

#define POPUP(n) HintWordU(XPTAG_POPFUNCS), HintWordU(ID_CAM_FIRST + (n)), HintFunc(PanelPopCount), HintFunc(PanelPopName)
#define ENABLE(n) \
    HintWordU(XPTAG_ENABLE), HintWordU(ID_CAM_FIRST + (n)), HintWord(0), HintWord(0), HintWord(0), HintWord(0)

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    POPUP(0), POPUP(1), POPUP(2), POPUP(3), POPUP(4), POPUP(5),
    POPUP(6), POPUP(7), POPUP(8), POPUP(9), POPUP(10), POPUP(11),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    ENABLE(0), ENABLE(1), ENABLE(2), ENABLE(3), ENABLE(4), ENABLE(5),
    ENABLE(6), ENABLE(7), ENABLE(8), ENABLE(9), ENABLE(10), ENABLE(11),
    HintWordU(XPTAG_END),
};

#undef POPUP
#undef ENABLE

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace TwelveUpCam
