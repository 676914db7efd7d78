// skybox.cpp -- the Skybox camera: the six views of a cube around the camera
// unfolded into one frame, in a cross or an alternate layout
// ("VantorSkyboxCam").
#include "cameras/skybox/skybox.h"

#include <cstring>

#include "cameras/skybox/projection.h"
#include "framework/handler.h"

namespace SkyboxCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;
// The layout the diagram shows: the last choice made in any skybox panel
// since the module was loaded (scenes that are loaded do not change it).
unsigned char bCrossShape = 1;

enum Setting { skyboxType };

constexpr SettingDesc kSettings[] = {{"skyboxType", kCrossShape}};

constexpr BlockItem kBlock[] = {BlockSetting(skyboxType)};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    Thumbnail(ID_DIAGRAM),
    SettingControl(ID_TYPE, "Skybox Type", "iPopChoice", skyboxType),
};

const char *const kTypeNames[] = {"Unfolded to Cross Shape", "Unfolded to Alternate Shape"};

int PanelPopCount(void *) { return 2; }
const char *PanelPopName(void *, int index) { return (index == 0 || index == 1) ? kTypeNames[index] : ""; }

// The layout diagram: the grid of the film as the rays use it, in panel
// pixels (y downward), cells 40 pixels wide.
void PanelControlDrawFunc2(LWXPanelID, unsigned int, LWXPDrAreaID area, int w, int h) {
    const LWXPanelFuncs *xp = services.xpanf;
    if (!xp || !xp->drawf) return;
    const LWXPDrawFuncs *df = xp->drawf;
    if (df->drawRGBBox) {
        df->drawRGBBox(area, 0, 0, 0, 0, 0, w, h);
        static const int kCells[6][2] = {{0, 14}, {80, 54}, {120, 54}, {160, 54}, {200, 54}, {120, 94}};
        for (int i = 0; i < 6; ++i) {
            const int x = i == 0 ? (bCrossShape ? 120 : 200) : kCells[i][0];
            df->drawRGBBox(area, 150, 150, 150, x, kCells[i][1], 40, 40);
        }
    }
    if (!df->drawLine) return;
    static const int kCross[5][4] = {
        {119, 53, 119, 94}, {119, 94, 160, 94}, {160, 94, 160, 53}, {160, 53, 119, 53}, {199, 53, 199, 94}};
    static const int kAlternate[5][4] = {
        {119, 53, 119, 94}, {119, 94, 160, 94}, {160, 94, 160, 53}, {199, 53, 199, 94}, {199, 53, 240, 53}};
    const int(*lines)[4] = bCrossShape ? kCross : kAlternate;
    for (int i = 0; i < 5; ++i) df->drawLine(area, 0, lines[i][0], lines[i][1], lines[i][2], lines[i][3]);
}

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
    HintWordU(XPTAG_CTRLCFG), HintWordU(ID_DIAGRAM), HintWord(0), HintWordU(0x80000008u),
    HintWordU(XPTAG_DRAWCBFUNC), HintWordU(ID_DIAGRAM), HintFunc(&PanelControlDrawFunc2),
    HintWordU(XPTAG_POPFUNCS), HintWordU(ID_TYPE), HintFunc(&PanelPopCount), HintFunc(&PanelPopName),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    HintWordU(XPTAG_ENABLE), HintWordU(ID_TYPE), nullptr, HintWord(0), nullptr, HintWord(0),
    HintWordU(XPTAG_END),
};

// The evaluation service is required though this camera never calls it.
const CameraTypeDesc kDesc =
    CameraType("VantorSkyboxCam", "VantorSkyboxCam Dec 11 2010 16:09:00", services, gInstance, kNeedsCameraEval)
        .Settings(kSettings)
        .Block(kBlock)
        .Panel<kControls>(InterfaceHint);

class CameraPlugin final : public DescribedCamera<kDesc, CameraBase> {
public:
    using DescribedCamera::DescribedCamera;

    LWXPanelID panelHandle = nullptr; // the panel built for this instance

    // Copies of the records, taken on every call: each ray reads the record
    // that comes with it.
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override {
        if (!frame || !access) return nullptr;
        std::memcpy(&frameInfo, frame, sizeof frameInfo);
        std::memcpy(&cameraAccess, access, sizeof cameraAccess);
        frameSeen = true;
        return nullptr;
    }

    void Load(const LWLoadState *load) override {
        CameraBase::Load(load);
        const LWXPanelFuncs *xp = svc().xpanf;
        if (panelHandle && xp && xp->setData) xp->setData(panelHandle, 0, this);
    }

    void PanelCreated(LWXPanelID panel) override { panelHandle = panel; }

    // A pick of the type also sets the layout the diagram shows.
    void PanelChange(unsigned int vid, void *choice) override {
        if (vid != ID_TYPE || !choice) return;
        PanelSetCommon(this, vid, choice);
        bCrossShape = *static_cast<const int *>(choice) == kCrossShape ? 1 : 0;
    }

    int Evaluate(double fpx, double fpy, double, double, double, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        if (!access) access = frameSeen ? &cameraAccess : nullptr;
        if (!access) return LWCAMTYPEEVAL_NO_RAY;
        const double W = access->filmSize[0], H = access->filmSize[1];
        // A film point that is not finite needs no test of its own: it lands
        // in a cell without a view, or its direction comes out NaN, and
        // WriteRay refuses that ray.
        if (!FilmIsUsable(W, H)) return LWCAMTYPEEVAL_NO_RAY;
        const int type = setting[skyboxType];
        const Cell cell = SkyboxCell(fpx, fpy, W, H, type);
        if (cell.face == Face::None) return LWCAMTYPEEVAL_NO_RAY;
        const Vec3 dir = WorldDirectionUnnormalised(access->toWorld, CameraDirection(cell, H, type));
        return WriteRay(ray, lentara::Load(access->worldPos), dir);
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace SkyboxCam
