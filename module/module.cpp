// module.cpp -- the Vantor_Lentara module: its notice and its camera types,
// in server table order. A new camera type is one folder under cameras/ and
// one row here.
#include "module/entry.h"

#include "cameras/dual/dual.h"
#include "cameras/fisheye/fisheye.h"
#include "cameras/cylinder/cylinder.h"
#include "cameras/fourup/fourup.h"
#include "cameras/overscan/overscan.h"
#include "cameras/panoramic/panoramic.h"
#include "cameras/perspective/perspective.h"
#include "cameras/skybox/skybox.h"
#include "cameras/stereo/stereo.h"
#include "cameras/superpano/superpano.h"
#include "cameras/twelveup/twelveup.h"

namespace lentara {

namespace {
const CameraTypeRow kCameraTypes[] = {
    {"VantorMultiCam", "Vantor Dual Camera", MultiCam::kServers},
    {"Vantor4UpCam", "Vantor 4Up Camera", FourUpCam::kServers},
    {"Vantor12UpCam", "Vantor 12Up Camera", TwelveUpCam::kServers},
    {"VantorStereoCam", "Vantor Stereo Camera", StereoCam::kServers},
    {"VantorSkyboxCam", "Vantor Skybox Camera", SkyboxCam::kServers},
    {"VantorPanoramicCam", "Vantor Panoramic Camera", PanoramicCam::kServers},
    {"VantorCylinderCam", "Vantor Cylinder Camera", CylinderCam::kServers},
    {"VantorPerspectiveCam", "Vantor Perspective", PerspectiveCam::kServers_DOF_MB},
    {"VantorFisheyeCam", "Vantor Fisheye Camera", FisheyeCam::kServers},
    {"VantorPerspectiveNoDOFCam", "Vantor No DoF", PerspectiveCam::kServers_NoDOF_MB},
    {"VantorPerspectiveNoDOFNoMBCam", "Vantor No DoF No MB", PerspectiveCam::kServers_NoDOF_NoMB},
    {"VantorAdvPanCam", "Vantor SuperPano Camera", AdvPanCam::kServers},
    {"VantorOverscanCam", "Vantor Overscan Camera", OverscanCam::kServers},
};
} // namespace

const ModuleList kModule = MakeModuleList("Vantor Lentara camera collection v1.5", kCameraTypes);

} // namespace lentara
