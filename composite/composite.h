// composite.h -- the base of every camera that renders through other scene
// cameras (Dual, 4Up, 12Up, Overscan, Performance): the picked cameras'
// tiles and their evaluator life over the render protocol, the guard that
// returns at once from a per-frame call that comes back in (a picked camera
// that shows this one calls back through the host), the stored choices in
// the scene block and the choice controls of the panel.
#pragma once

#include <array>
#include <cstddef>

#include "composite/delegation.h"
#include "framework/camera.h"
#include "framework/panel.h"

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

// The camera-choice popup of a composite type Cam: the carrier is the item
// of the instance whose panel was built last (the type's gInstance).
template <class Cam>
int ChoicePopCount(void *) {
    const auto *cam = static_cast<const Cam *>(*Cam::Desc().gInstance);
    return CameraListCount(*Cam::Desc().services, cam ? cam->item : nullptr);
}
template <class Cam>
const char *ChoicePopName(void *, int index) {
    const auto *cam = static_cast<const Cam *>(*Cam::Desc().gInstance);
    return CameraListName(*Cam::Desc().services, cam ? cam->item : nullptr, index);
}

// The hint words of a camera-choice popup.
#define LENTARA_CHOICE_POPUP_HINT(Cam, id)                                                                  \
    HintWordU(XPTAG_POPFUNCS), HintWordU(id), HintFunc(&lentara::ChoicePopCount<Cam>),                       \
        HintFunc(&lentara::ChoicePopName<Cam>)

// The hint words of a grid camera type's panel: focus, logo, a popup for
// every tile's choice, the divider under the version line and the tiles'
// enable entries, in that order. Made when the module is loaded.
template <class Cam, HostServices *Svc, int Tiles>
std::array<LWXPanelHint, 13 + 10 * Tiles> GridHints(unsigned int logoId, unsigned int versionId,
                                                    unsigned int firstChoiceId) {
    std::array<LWXPanelHint, 13 + 10 * Tiles> h{};
    std::size_t n = 0;
    for (LWXPanelHint w : {HintWordU(XPTAG_FOCUS), HintWord(-1), LENTARA_LOGO_HINTS(logoId, Svc)}) h[n++] = w;
    for (unsigned int t = 0; t < Tiles; ++t)
        for (LWXPanelHint w : {LENTARA_CHOICE_POPUP_HINT(Cam, firstChoiceId + t)}) h[n++] = w;
    for (LWXPanelHint w : {HintWordU(XPTAG_DIVADD), HintWordU(versionId), HintWord(0)}) h[n++] = w;
    for (unsigned int t = 0; t < Tiles; ++t)
        for (LWXPanelHint w : {LENTARA_ENABLES_NOTHING_HINT(firstChoiceId + t)}) h[n++] = w;
    h[n++] = HintWordU(XPTAG_END);
    return h;
}

} // namespace lentara
