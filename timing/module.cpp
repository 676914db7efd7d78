// module.cpp -- the timing_camera module: its notice and its one camera type.
#include "module/entry.h"

#include "timing/performance.h"

namespace lentara {

namespace {
const CameraTypeRow kCameraTypes[] = {
    {"PerformanceCamera", "Performance Camera", PerformanceCam::kServers},
};
} // namespace

const ModuleList kModule = MakeModuleList("Vantor Lentara timing camera v0.8", kCameraTypes);

} // namespace lentara
