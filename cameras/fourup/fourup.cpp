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

enum : unsigned int {
    ID_LOGO = 0x8000,
    ID_VERSION = 0x8002,
    ID_CAM_1_1 = 0x8006,
    ID_CAM_1_2 = 0x8007,
    ID_CAM_2_1 = 0x8008,
    ID_CAM_2_2 = 0x8009,
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO),
    VersionLine(ID_VERSION),
    OwnControl(ID_CAM_1_1, "1-1 Camera", "iPopChoice", "integer"),
    OwnControl(ID_CAM_1_2, "1-2 Camera", "iPopChoice", "integer"),
    OwnControl(ID_CAM_2_1, "2-1 Camera", "iPopChoice", "integer"),
    OwnControl(ID_CAM_2_2, "2-2 Camera", "iPopChoice", "integer"),
};

extern LWXPanelHint InterfaceHint[];

const CameraTypeDesc kDesc = CameraType("Vantor4UpCam", "Vantor4UpCam Dec 11 2010 10:02:16", services, gInstance, kNeedsCameraEval)
                                   .Panel<kControls>(InterfaceHint)
                                   .Flags(LWCAMTYPEF_SUPPORTSDOF)
                                   .OneAtATime(kOneMulticam);

class CameraPlugin final : public GridCameraOf<kLayout> {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : GridCameraOf(kDesc, ID_CAM_1_1, item) {}
};


int PanelPopCount(void *data) { return lentara::PanelPopCount<CameraPlugin, &services, &gInstance>(data); }
const char *PanelPopName(void *data, int index) {
    return lentara::PanelPopName<CameraPlugin, &services, &gInstance>(data, index);
}

#define POPUP(id) HintWordU(XPTAG_POPFUNCS), HintWordU(id), HintFunc(PanelPopCount), HintFunc(PanelPopName)
#define ENABLE(id) HintWordU(XPTAG_ENABLE), HintWordU(id), HintWord(0), HintWord(0), HintWord(0), HintWord(0)

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    POPUP(ID_CAM_1_1), POPUP(ID_CAM_1_2), POPUP(ID_CAM_2_1), POPUP(ID_CAM_2_2),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    ENABLE(ID_CAM_1_1), ENABLE(ID_CAM_1_2), ENABLE(ID_CAM_2_1), ENABLE(ID_CAM_2_2),
    HintWordU(XPTAG_END),
};

#undef POPUP
#undef ENABLE

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace FourUpCam
