// cubemap.cpp -- the Cubemap camera: six exact 90-degree faces in the
// layouts game engines and environment tools read ("VantorCubemapCam").
#include "cameras/cubemap/cubemap.h"

#include "cameras/cubemap/projection.h"
#include "framework/handler.h"
#include "framework/projection_camera.h"

namespace CubemapCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { FaceOverlap };
enum Setting { LayoutSetting, FaceOrderSetting };

constexpr ParamDesc kParams[] = {{"FaceOverlap", 0.0}};

constexpr SettingDesc kSettings[] = {{"Layout", kHorizontalCross}, {"FaceOrder", kAxisOrder}};

constexpr BlockItem kBlock[] = {BlockEnvelope(FaceOverlap), BlockSetting(LayoutSetting), BlockSetting(FaceOrderSetting)};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    AngleControl(ID_OVERLAP, "Face Overlap", FaceOverlap),
    PopupControl(ID_LAYOUT, "Layout", LayoutSetting),
    PopupControl(ID_ORDER, "Face Order", FaceOrderSetting),
};

// UTF-8: the multiplication sign and the minus sign.
const char *const kLayoutNames[] = {"Horizontal cross 4\u00d73", "Vertical cross 3\u00d74", "Strip 6\u00d71",
                                    "Strip 1\u00d76", "Blocks 3\u00d72"};
const char *const kOrderNames[] = {"+X \u2212X +Y \u2212Y +Z \u2212Z", "Front Right Back Left Up Down"};

// The face order matters to the strips and the blocks only.
int kOrderEnable[kLayoutCount] = {0, 0, 1, 1, 1};
char kOrderMessage[] = "Face order applies to the strips and the blocks.";

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1), LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    PopupHints<kLayoutNames, kLayoutCount>(ID_LAYOUT),
    PopupHints<kOrderNames, kFaceOrderCount>(ID_ORDER),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_OVERLAP),
    HintRun(XPTAG_SENS, 1, ID_OVERLAP),
    HintWords(HintWordU(XPTAG_ENABLE), HintWordU(ID_LAYOUT), kOrderMessage, HintWord(0), kOrderEnable,
        HintWordU(ID_ORDER), HintWord(0)));

const CameraTypeDesc kDesc =
    CameraType("VantorCubemapCam", "VantorCubemapCam v2.0", services, gInstance, kNeedsVParm)
        .Tables(kParams, kSettings, kBlock).Panel<kControls>(InterfaceHint)
        .Version("v2.0");

class CameraPlugin final : public DescribedCamera<kDesc, ProjectionCamera<CubemapFrame, CubemapRayVector>> {
public:
    using DescribedCamera::DescribedCamera;

protected:
    CubemapFrame Prepare(double W, double H) const override {
        return PrepareCubemap({value[FaceOverlap], setting[LayoutSetting], setting[FaceOrderSetting]}, W, H);
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace CubemapCam
