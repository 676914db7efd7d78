// composite.cpp -- render protocol, scene block and choice controls of the
// composite cameras.
#include "composite/composite.h"

namespace lentara {

CompositeCamera::CompositeCamera(const CameraTypeDesc &d, int count, unsigned int firstId, LWItemID self)
    : CameraBase(d, self), tileCount(count), firstChoiceId(firstId) {}

CompositeCamera::~CompositeCamera() { DestroyTiles(svc(), tiles, tileCount); }

LWError CompositeCamera::InitRender(int mode) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return nullptr;
    renderMode = mode;
    InitTiles(svc(), selfItem(), tiles, tileCount, mode);
    return nullptr;
}

void CompositeCamera::CleanUpRender() {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return;
    RenderEnded();
    CleanUpTiles(svc(), tiles, tileCount);
}

LWError CompositeCamera::NewTime(LWFrame frame, LWTime time) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return nullptr;
    CameraBase::NewTime(frame, time);
    NewTimeTiles(svc(), tiles, tileCount, frame, time);
    return nullptr;
}

LWError CompositeCamera::NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return nullptr;
    // The records are kept but not compared: the picked cameras get their
    // frame calls on every new frame.
    if (access) cameraAccess = *access;
    if (frame) {
        frameInfo = *frame;
        get_vpValues(frame->start);
    }
    FrameSetUp();
    NewFrameTiles(svc(), tiles, tileCount, currentFrame, currentTime);
    return nullptr;
}

int CompositeCamera::Preview(double lpx, double lpy, LWDMatrix4 projection, const LWCameraAccess *) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return 0;
    return PreviewThrough(lpx, lpy, projection);
}

int CompositeCamera::PreviewThrough(double lpx, double lpy, LWDMatrix4 projection) {
    return PreviewTiles(svc(), tiles, tileCount, lpx, lpy, projection);
}

void CompositeCamera::Save(const LWSaveState *save) const {
    SaveChoices(save, tiles, tileCount);
    CameraBase::Save(save);
}

void CompositeCamera::Load(const LWLoadState *load) {
    LoadChoices(svc(), load, tiles, tileCount);
    CameraBase::Load(load);
}

int CompositeCamera::ChoiceIndex(unsigned int vid) const {
    if (vid < firstChoiceId || vid >= firstChoiceId + static_cast<unsigned int>(tileCount)) return -1;
    return static_cast<int>(vid - firstChoiceId);
}

void *CompositeCamera::PanelValue(unsigned int vid) {
    const int n = ChoiceIndex(vid);
    return n >= 0 ? &tiles[n].tileChoice : CameraBase::PanelValue(vid);
}

void CompositeCamera::PanelChange(unsigned int vid, void *value) {
    const int n = ChoiceIndex(vid);
    if (value && n >= 0) PickCamera(svc(), selfItem(), tiles[n], *static_cast<const int *>(value));
}

} // namespace lentara
