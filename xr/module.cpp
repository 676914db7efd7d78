// module.cpp -- the Vantor_LentaraXR module: the immersive camera types, in
// server table order. A new camera type is one folder under cameras/ and one
// row here.
#include "module/entry.h"

#include "cameras/cubemap/cubemap.h"
#include "cameras/dome/dome.h"
#include "cameras/sphericalstereo/sphericalstereo.h"
#include "cameras/stereorig/stereorig.h"

namespace lentara {

namespace {
const CameraTypeRow kCameraTypes[] = {
    {"VantorDomeCam", "Vantor Dome Camera", DomeCam::kServers},
    {"VantorCubemapCam", "Vantor Cubemap Camera", CubemapCam::kServers},
    {"VantorSphericalStereoCam", "Vantor Spherical Stereo Camera", SphericalStereoCam::kServers},
    {"VantorStereoRigCam", "Vantor Stereo Rig Camera", StereoRigCam::kServers},
};
} // namespace

const ModuleList kModule = MakeModuleList("Vantor Lentara XR immersive cameras v2.0", kCameraTypes);

} // namespace lentara
