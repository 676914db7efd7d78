// gridcamera.cpp -- the one-at-a-time rule of the grid cameras (Dual, 4Up,
// 12Up).
#include "composite/gridcamera.h"

namespace lentara {

unsigned char bMulticamActive = 0;
const char kOnlyOneMulticam[] = "Only one of DualCam, 4UpCam, or 12UpCam allowed in a scene";
const SoleInstance kOneMulticam = {&bMulticamActive, kOnlyOneMulticam, true};

} // namespace lentara
