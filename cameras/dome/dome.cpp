// dome.cpp -- the Dome camera: fisheye lens models for fulldome masters and
// real fisheye lenses ("VantorDomeCam").
#include "cameras/dome/dome.h"

#include "cameras/dome/projection.h"
#include "framework/handler.h"
#include "framework/projection_camera.h"

namespace DomeCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;

enum Param { FieldOfView, DomeTilt };
enum Setting { LensSetting, FitSetting };

constexpr ParamDesc kParams[] = {{"FieldOfView", kPi}, {"DomeTilt", 0.0}};

constexpr SettingDesc kSettings[] = {{"Lens", kEquidistant}, {"Fit", kFitHeight}};

constexpr BlockItem kBlock[] = {
    BlockEnvelope(FieldOfView), BlockEnvelope(DomeTilt), BlockSetting(LensSetting), BlockSetting(FitSetting)
};

constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO), VersionLine(ID_VERSION),
    AngleControl(ID_FOV, "Field of View", FieldOfView), AngleControl(ID_TILT, "Dome Tilt", DomeTilt),
    PopupControl(ID_LENS, "Lens", LensSetting),         PopupControl(ID_FIT, "Fit", FitSetting),
};

const char *const kLensNames[] = {"Equidistant", "Equisolid", "Stereographic", "Orthographic"};
const char *const kFitNames[] = {"Circle in frame height", "Circle in frame width", "Circle through frame corners"};

auto InterfaceHint = PanelHints(
    HintWords(HintWordU(XPTAG_FOCUS), HintWord(-1), LENTARA_LOGO_HINTS(ID_LOGO, &services)),
    PopupHints<kLensNames, kLensCount>(ID_LENS),
    PopupHints<kFitNames, kFitCount>(ID_FIT),
    HintRun(XPTAG_DIVADD, 0, ID_VERSION, ID_TILT),
    HintRun(XPTAG_SENS, 1, ID_FOV, ID_TILT));

const CameraTypeDesc kDesc = CameraType("VantorDomeCam", "VantorDomeCam v2.0", services, gInstance, kNeedsVParm)
                                 .Tables(kParams, kSettings, kBlock).Panel<kControls>(InterfaceHint)
                                 .Version("v2.0");

class CameraPlugin final : public DescribedCamera<kDesc, ProjectionCamera<DomeFrame, DomeDirection>> {
public:
    using DescribedCamera::DescribedCamera;

protected:
    DomeFrame Prepare(double W, double H) const override {
        return PrepareDome({value[FieldOfView], value[DomeTilt], setting[LensSetting], setting[FitSetting]}, W, H);
    }
};

const CameraServers kServers = ServersOf<CameraPlugin>();

} // namespace DomeCam
