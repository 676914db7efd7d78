// gridcamera.cpp -- render protocol, dispatch and panel binding of the grid
// cameras (Dual, 4Up, 12Up).
#include "composite/gridcamera.h"

namespace lentara {

unsigned char bMulticamActive = 0;
const char kOnlyOneMulticam[] = "Only one of DualCam, 4UpCam, or 12UpCam allowed in a scene";
const SoleInstance kOneMulticam = {&bMulticamActive, kOnlyOneMulticam, true};

GridCamera::GridCamera(const CameraTypeDesc &d, const GridLayout &g, unsigned int firstId, LWItemID self)
    : CameraBase(d, self), layout(g), firstChoiceId(firstId) {}

GridCamera::~GridCamera() { DestroyTiles(svc(), tiles, TileCount()); }

// Each per-frame call first marks itself as running: a tile camera that
// shows this camera calls back in through the host, and that call returns at
// once (FrameCallScope).
LWError GridCamera::InitRender(int mode) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return nullptr;
    renderMode = mode;
    InitTiles(svc(), selfItem(), tiles, TileCount(), mode);
    return nullptr;
}

void GridCamera::CleanUpRender() {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return;
    CleanUpTiles(svc(), tiles, TileCount());
}

LWError GridCamera::NewTime(LWFrame frame, LWTime time) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return nullptr;
    currentFrame = frame;
    currentTime = time;
    NewTimeTiles(svc(), tiles, TileCount(), frame, time);
    return nullptr;
}

LWError GridCamera::NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return nullptr;
    // The records are kept but not compared: the tile cameras get their frame
    // calls on every new frame.
    if (frame) frameInfo = *frame;
    if (access) cameraAccess = *access;
    NewFrameTiles(svc(), tiles, TileCount(), currentFrame, currentTime);
    return nullptr;
}

int GridCamera::Preview(double lpx, double lpy, LWDMatrix4 projection, const LWCameraAccess *) {
    const FrameCallScope scope(frameCallRunning);
    if (!scope.entered()) return 0;
    return PreviewTiles(svc(), tiles, TileCount(), lpx, lpy, projection);
}

void GridCamera::Save(const LWSaveState *save) const { SaveChoices(save, tiles, TileCount()); }

void GridCamera::Load(const LWLoadState *load) { LoadChoices(svc(), load, tiles, TileCount()); }

void *GridCamera::PanelValue(unsigned int vid) {
    if (vid >= firstChoiceId && vid < firstChoiceId + static_cast<unsigned int>(TileCount()))
        return &tiles[vid - firstChoiceId].tileChoice;
    return CameraBase::PanelValue(vid);
}

void GridCamera::PanelChange(unsigned int vid, void *value) {
    if (!value || vid < firstChoiceId || vid >= firstChoiceId + static_cast<unsigned int>(TileCount())) return;
    PickCamera(svc(), selfItem(), tiles[vid - firstChoiceId], *static_cast<const int *>(value));
}

} // namespace lentara
