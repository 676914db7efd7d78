// composite.h -- the base of every camera that renders through other scene
// cameras (Dual, 4Up, 12Up, Overscan, Performance): the picked cameras'
// tiles and their evaluator life over the render protocol, the guard that
// returns at once from a per-frame call that comes back in (a picked camera
// that shows this one calls back through the host), the stored choices in
// the scene block and the choice controls of the panel.
#pragma once

#include "composite/delegation.h"
#include "framework/camera.h"

namespace lentara {

constexpr int kMaxCompositeTiles = 12;

class CompositeCamera : public CameraBase {
public:
    // Tile n's choice control is firstChoiceId + n.
    CompositeCamera(const CameraTypeDesc &desc, int tileCount, unsigned int firstChoiceId, LWItemID self);
    ~CompositeCamera() override;

    LWItemID selfItem() const { return item; }
    int TileCount() const { return tileCount; }

    // The per-frame calls, each behind the re-entry guard.
    LWError InitRender(int mode) final;
    void CleanUpRender() final;
    LWError NewTime(LWFrame frame, LWTime time) final;
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) final;
    int Preview(double lpx, double lpy, LWDMatrix4 projection, const LWCameraAccess *access) final;
    // The choices, then the description's block.
    void Save(const LWSaveState *save) const override;
    void Load(const LWLoadState *load) override;
    // The choice controls: the choice's address; a pick resolves the camera.
    void *PanelValue(unsigned int vid) override;
    void PanelChange(unsigned int vid, void *value) override;

protected:
    Tile tiles[kMaxCompositeTiles];

    // Hooks inside the guard. Frame set-up: the records are stored (and the
    // envelopes evaluated) before, the tiles get their frame calls after.
    virtual void FrameSetUp() {}
    // Render end, before the tiles are cleaned up.
    virtual void RenderEnded() {}
    // The preview matrix; the usual one is the tiles' own.
    virtual int PreviewThrough(double lpx, double lpy, LWDMatrix4 projection);

private:
    const int tileCount;
    const unsigned int firstChoiceId;
    bool frameCallRunning = false; // one of the per-frame calls is running
    int ChoiceIndex(unsigned int vid) const;
};

} // namespace lentara
