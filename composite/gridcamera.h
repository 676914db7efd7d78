// gridcamera.h -- the Dual, 4Up and 12Up cameras' shared instance: a grid of
// tiles, each rendered through a picked scene camera. The camera computes no
// ray itself: it finds the tile, moves the film point to the tile camera's
// film centre and hands the sample on.
//
// At most one grid camera of the three kinds exists at a time; they share the
// flag bMulticamActive and the message kOnlyOneMulticam.
#pragma once

#include "composite/delegation.h"
#include "composite/grid.h"
#include "framework/camera.h"
#include "framework/handler.h"
#include "framework/panel.h"

namespace lentara {

constexpr int kMaxGridTiles = 12;

extern unsigned char bMulticamActive;
extern const char kOnlyOneMulticam[];
// The rule the three types' descriptions name: one at a time, no copies.
extern const SoleInstance kOneMulticam;

class GridCamera : public CameraBase {
public:
    // Choice controls are firstChoiceId + tile number.
    GridCamera(const CameraTypeDesc &desc, const GridLayout &layout, unsigned int firstChoiceId, LWItemID self);
    ~GridCamera() override;

    const GridLayout &layout;
    const unsigned int firstChoiceId;
    Tile tiles[kMaxGridTiles];
    // One of the per-frame calls is running (see FrameCallScope).
    bool frameCallRunning = false;

    LWItemID selfItem() const { return item; }
    int TileCount() const { return layout.TileCount(); }

    LWError InitRender(int mode) override;
    void CleanUpRender() override;
    LWError NewTime(LWFrame frame, LWTime time) override;
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) override;
    int Preview(double lpx, double lpy, LWDMatrix4 projection, const LWCameraAccess *access) override;
    void Save(const LWSaveState *save) const override;
    void Load(const LWLoadState *load) override;

    // Panel binding: the version line and the address of each tile's choice.
    void *PanelValue(unsigned int vid) override;
    // A pick on a choice control; other ids change nothing.
    void PanelChange(unsigned int vid, void *value) override;
};

// A grid camera whose grid is the constant L (a namespace's kLayout).
template <const GridLayout &L>
class GridCameraOf : public GridCamera {
public:
    GridCameraOf(const CameraTypeDesc &desc, unsigned int firstChoiceId, LWItemID self)
        : GridCamera(desc, L, firstChoiceId, self) {}
    // With the grid's constants folded in, finding the tile is one or two
    // comparisons and the shift a constant factor. Inline, so that the
    // handler's evaluate callback holds the whole path. EvaluateTile checks
    // the moved film point and the other inputs. A grid of one row never
    // reads the film height, so only its width needs to be usable.
    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *access) const override {
        if (!access || !FilmSideIsUsable(access->filmSize[0])) return LWCAMTYPEEVAL_NO_RAY;
        if (L.rows > 1 && !FilmSideIsUsable(access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        const GridPoint p = LocateTile(L, fpx, fpy, access->filmSize[0], access->filmSize[1]);
        return EvaluateTile(svc(), tiles[p.tile], p.fpx, p.fpy, lpx, lpy, fraction, ray);
    }
};

} // namespace lentara
