// gridcamera.h -- the Dual, 4Up and 12Up cameras' shared instance: a grid of
// tiles, each rendered through a picked scene camera. The camera computes no
// ray itself: it finds the tile, moves the film point to the tile camera's
// film centre and hands the sample on.
//
// At most one grid camera of the three kinds exists at a time; they share the
// flag bMulticamActive and the message kOnlyOneMulticam.
#pragma once

#include "composite/composite.h"
#include "composite/grid.h"
#include "framework/handler.h"
#include "framework/panel.h"

namespace lentara {

constexpr int kMaxGridTiles = kMaxCompositeTiles;

extern unsigned char bMulticamActive;
extern const char kOnlyOneMulticam[];
// The rule the three types' descriptions name: one at a time, no copies.
extern const SoleInstance kOneMulticam;

// The description every grid type starts from: the evaluation service, depth
// of field handed on, one grid camera at a time and no copies.
constexpr CameraTypeDesc GridCameraType(const char *serverName, const char *describeText, HostServices &services,
                                        void *&gInstance) {
    return CameraType(serverName, describeText, services, gInstance, kNeedsCameraEval)
        .Flags(LWCAMTYPEF_SUPPORTSDOF)
        .OneAtATime(kOneMulticam);
}

// A grid camera whose grid is the constant L (a namespace's kLayout).
template <const GridLayout &L>
class GridCameraOf : public CompositeCamera {
public:
    // Choice controls are firstChoiceId + tile number.
    GridCameraOf(const CameraTypeDesc &desc, unsigned int firstChoiceId, LWItemID self)
        : CompositeCamera(desc, L.TileCount(), firstChoiceId, self) {
        static_assert(L.TileCount() <= kMaxGridTiles, "more tiles than a composite camera holds");
    }
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

// A grid camera type made from its data T:
//   static constexpr char serverName[], describeText[];
//   static constexpr const GridLayout &layout;
//   static constexpr unsigned int logoId, versionId, firstChoiceId;
//   static constexpr ControlDesc controls[];  // the panel, tile choices last
// The type's host services, gInstance, hint words, description and camera
// class are members of GridType<T>; GridType<T>::Servers() go in the
// module's list.
template <class T>
struct GridType {
    class Camera;
    static inline HostServices services;
    static inline void *gInstance = nullptr;
    static inline auto InterfaceHint =
        GridHints<Camera, &services, T::layout.TileCount()>(T::logoId, T::versionId, T::firstChoiceId);
    static inline const CameraTypeDesc kDesc =
        GridCameraType(T::serverName, T::describeText, services, gInstance)
            .template Panel<T::controls>(InterfaceHint.data());

    class Camera final : public GridCameraOf<T::layout> {
    public:
        static const CameraTypeDesc &Desc() { return kDesc; }
        explicit Camera(LWItemID item) : GridCameraOf<T::layout>(kDesc, T::firstChoiceId, item) {}
    };

    static constexpr CameraServers Servers() { return ServersOf<Camera>(); }
};

} // namespace lentara
