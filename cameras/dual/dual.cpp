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

enum : unsigned int {
    ID_LOGO = 0x8000,
    ID_VERSION = 0x8002,
    ID_LEFT = 0x8006,
    ID_RIGHT = 0x8007,
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO),
    VersionLine(ID_VERSION),
    OwnControl(ID_LEFT, "Cam 1 (Left Side of Frame)", "iPopChoice", "integer", "Left Camera"),
    OwnControl(ID_RIGHT, "Cam 2 (Right Side of Frame)", "iPopChoice", "integer", "Right Camera"),
};

extern LWXPanelHint InterfaceHint[];

const CameraTypeDesc kDesc = CameraType("VantorMultiCam", "VantorMultiCam Dec 11 2010 10:02:21", services, gInstance, kNeedsCameraEval)
                                   .Panel<kControls>(InterfaceHint)
                                   .Flags(LWCAMTYPEF_SUPPORTSDOF)
                                   .OneAtATime(kOneMulticam);

class CameraPlugin final : public GridCameraOf<kLayout> {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    explicit CameraPlugin(LWItemID item) : GridCameraOf(kDesc, ID_LEFT, item) {}
};

int PanelPopCount(void *data) { return lentara::PanelPopCount<CameraPlugin, &services, &gInstance>(data); }
const char *PanelPopName(void *data, int index) {
    return lentara::PanelPopName<CameraPlugin, &services, &gInstance>(data, index);
}

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_LOGO), HintWord(0), HintWordU(0x80000001u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_LOGO), HintFunc(&PanelControlDrawFunc<&services>),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_LEFT), HintFunc(PanelPopCount), HintFunc(PanelPopName),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_RIGHT), HintFunc(PanelPopCount), HintFunc(PanelPopName),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_ENABLE), HintWordU(ID_LEFT), HintWord(0), HintWord(0), HintWord(0), HintWord(0),
    HintWordU(XPTAG_ENABLE), HintWordU(ID_RIGHT), HintWord(0), HintWord(0), HintWord(0), HintWord(0),
    HintWordU(XPTAG_END),
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace MultiCam
