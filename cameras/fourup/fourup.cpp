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

LWXPanelControl InterfaceCreate[] = {
    {ID_LOGO, "Logo", "dThumbnail"},
    {ID_VERSION, "Version", "sInfo"},
    {ID_CAM_1_1, "1-1 Camera", "iPopChoice"},
    {ID_CAM_1_2, "1-2 Camera", "iPopChoice"},
    {ID_CAM_2_1, "2-1 Camera", "iPopChoice"},
    {ID_CAM_2_2, "2-2 Camera", "iPopChoice"},
    {0, nullptr, nullptr},
};

LWXPanelDataDesc InterfaceXData[] = {
    {ID_VERSION, "Version", "string"},
    {ID_CAM_1_1, "1-1 Camera", "integer"},
    {ID_CAM_1_2, "1-2 Camera", "integer"},
    {ID_CAM_2_1, "2-1 Camera", "integer"},
    {ID_CAM_2_2, "2-2 Camera", "integer"},
    {0, nullptr, nullptr},
};

extern LWXPanelHint InterfaceHint[];

const CameraTypeDesc kDesc = {
    "Vantor4UpCam",
    "Vantor4UpCam Dec 11 2010 10:02:16",
    &services,
    nullptr,
    0,
    -1,
    nullptr,
    0,
    nullptr,
    0,
    {InterfaceCreate, InterfaceXData, InterfaceHint, ID_VERSION, 0},
    LWCAMTYPEF_SUPPORTSDOF,
};

class CameraPlugin : public GridCameraOf<kLayout> {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    static void *&PanelInstance() { return gInstance; }
    explicit CameraPlugin(LWItemID item) : GridCameraOf(kDesc, ID_CAM_1_1, item) {}
};

using CB = GridCallbacks<CameraPlugin>;

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

LWGizmoFuncs gizmoFuncs = GizmoTable();

int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateHandler(version, global, local, serverData, services, kNeedsCameraEval, CB::Table());
}

int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateInterface(version, global, local, serverData, services, kDesc.panel, gInstance, CB::PanelGet,
                             CB::PanelSet);
}

int CameraGizmo(int version, GlobalFunc *global, void *local, void *serverData) {
    return ActivateGizmo(version, global, local, serverData, services, &gizmoFuncs);
}

} // namespace FourUpCam
