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

class GridCamera : public CameraBase {
public:
    // Choice controls are firstChoiceId + tile number.
    GridCamera(const CameraTypeDesc &desc, const GridLayout &layout, unsigned int firstChoiceId, LWItemID self);
    ~GridCamera();

    const GridLayout &layout;
    const unsigned int firstChoiceId;
    Tile tiles[kMaxGridTiles];
    // One of the per-frame calls is running (see FrameCallScope).
    bool frameCallRunning = false;

    LWItemID selfItem() const { return item; }
    int TileCount() const { return layout.TileCount(); }

    LWError InitRender(int mode);
    void CleanUpRender();
    LWError NewTime(LWFrame frame, LWTime time);
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access);
    int Preview(double lpx, double lpy, LWDMatrix4 projection, const LWCameraAccess *access);
    void Save(const LWSaveState *save) const;
    void Load(const LWLoadState *load);

    // Panel binding: the version line and the address of each tile's choice.
    void *PanelValue(unsigned int vid);
    // A pick on a choice control; other ids change nothing.
    void PanelPick(unsigned int vid, const void *value);
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
                 const LWCameraAccess *access) const {
        if (!access || !FilmSideIsUsable(access->filmSize[0])) return LWCAMTYPEEVAL_NO_RAY;
        if (L.rows > 1 && !FilmSideIsUsable(access->filmSize[1])) return LWCAMTYPEEVAL_NO_RAY;
        const GridPoint p = LocateTile(L, fpx, fpy, access->filmSize[0], access->filmSize[1]);
        return EvaluateTile(svc(), tiles[p.tile], p.fpx, p.fpy, lpx, lpy, fraction, ray);
    }
};

// Host callbacks of a grid camera type Cam (derived from GridCamera): the
// one-at-a-time rule on create and destroy, copy refused, panel get and set.
// Cam::PanelInstance() is the namespace's gInstance, forgotten when that
// instance goes so that a late popup callback finds no freed instance.
template <class Cam>
struct GridCallbacks {
    static LWInstance C_Create(void *, void *context, LWError *error) noexcept {
        return CreateOneAtATime<Cam>(bMulticamActive, kOnlyOneMulticam, context, error);
    }
    static void C_Destroy(LWInstance inst) noexcept {
        if (inst && Cam::PanelInstance() == inst) Cam::PanelInstance() = nullptr;
        DestroyOneAtATime<Cam>(bMulticamActive, inst);
    }
    static LWError C_Copy(LWInstance, LWInstance) noexcept { return kOnlyOneMulticam; }
    static void *PanelGet(void *inst, unsigned int vid) {
        return inst ? static_cast<Cam *>(inst)->PanelValue(vid) : nullptr;
    }
    // The handler record: the generated callbacks with these three replaced.
    static HandlerTable Table() {
        HandlerTable t = Callbacks<Cam>::Table();
        t.create = C_Create;
        t.destroy = C_Destroy;
        t.copy = C_Copy;
        return t;
    }
    static int PanelSet(void *inst, unsigned int vid, void *value) {
        try {
            if (inst) static_cast<Cam *>(inst)->PanelPick(vid, value);
        } catch (...) {
        }
        return 1;
    }
};

} // namespace lentara
