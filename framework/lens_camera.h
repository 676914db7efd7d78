// lens_camera.h -- the base of the camera types with a thin lens read from
// the host's camera item.
#pragma once

#include "framework/camera.h"
#include "framework/lens.h"

namespace lentara {

// The description a lens camera type starts from: it uses the lens position
// (C_Flags 1) and the host's envelopes.
constexpr CameraTypeDesc LensCameraType(const char *serverName, const char *describeText, HostServices &services,
                                        void *&gInstance) {
    return CameraType(serverName, describeText, services, gInstance, kNeedsVParm).Flags(1);
}

// A camera described by D that reads the item's f-stop when it is made and
// takes the lens along when copied.
template <const CameraTypeDesc &D>
class LensCamera : public DescribedCamera<D> {
public:
    LensReading lens;

    explicit LensCamera(LWItemID item) : DescribedCamera<D>(item) { lens.ReadFStop(this->svc(), item); }

    void CopyFrom(const CameraBase &other) override {
        SingleViewCamera::CopyFrom(other);
        lens = static_cast<const LensCamera &>(other).lens;
    }
};

} // namespace lentara
