// delegation.h -- rendering through other camera items of the scene.
//
// A composite camera renders one or more rectangular tiles of its film through
// camera items that the user picks in its panel. Each tile holds the picked
// position in the camera list, the item it resolved to and the evaluator that
// the host's camera evaluation service made for that item. This file holds
// what every such camera shares, whatever namespace it lives in:
//   - the camera list of every camera-choice popup: "(none)" and then every
//     camera of the scene except the carrier, in scene order;
//   - the evaluator life over the host's render protocol (panel pick, render
//     initialisation, new time, new frame, preview, clean up, destroy);
//   - the scene block of the stored choices;
//   - (creation of a type of which at most one instance may exist is the
//     framework's: CreateOneAtATime in framework/handler.h);
//   - the guards that stop composite cameras showing each other from calling
//     one another without end.
// All functions take the namespace's own HostServices.
#pragma once

#include <cmath>
#include <cstdint>
#include <new>

#include "framework/handler.h" // CreateOneAtATime, DestroyOneAtATime
#include "framework/motion.h"  // LENTARA_FAST_TLS
#include "framework/services.h"
#include "framework/vec.h"
#include "module/lwhost.h"

namespace lentara {

// One region of the film rendered through one picked camera.
struct Tile {
    std::int32_t tileChoice = 0;                 // camera list position; 0 = "(none)"; the saved value
    LWItemID tileItem = nullptr;                 // item the choice resolved to when last resolved
    LWCameraEvaluatorID tileEvaluator = nullptr; // owned; made only by PickCamera / InitTiles
};

extern const char kNoCameraName[]; // "(none)"

// ---- camera list -----------------------------------------------------------
// The list is walked afresh on every call; a stored choice is a position, not
// an identity.

// 1 for "(none)" plus the number of scene cameras other than the carrier;
// 1 without the item information service.
int CameraListCount(const HostServices &svc, LWItemID carrier);
// Entry `index`: "(none)" for index <= 0, past the end, or without the item
// service; otherwise the host's name of that camera.
const char *CameraListName(const HostServices &svc, LWItemID carrier, int index);
// The camera at a zero-based position after "(none)" (callers pass the choice
// minus 1) is getItemByIndex(svc, carrier, position) (framework/services.h).

// ---- evaluator life --------------------------------------------------------

// Panel pick of a tile's camera control: stores the value, resolves it and
// replaces the tile's evaluator. A value that resolves to no camera (or a
// carrier that is not known) stores 0. The new evaluator is not initialised.
void PickCamera(const HostServices &svc, LWItemID carrier, Tile &tile, int value);

// Render initialisation: every tile is resolved from its stored choice, then
// gets a fresh evaluator, then every evaluator is initialised with the mode.
// Unresolved choices are kept as they are.
void InitTiles(const HostServices &svc, LWItemID carrier, Tile *tiles, int count, int mode);

// New time on every evaluator, in tile order.
void NewTimeTiles(const HostServices &svc, const Tile *tiles, int count, LWFrame frame, LWTime time);

// New frame: per tile new time (with the stored frame and time) then new frame.
void NewFrameTiles(const HostServices &svc, const Tile *tiles, int count, LWFrame frame, LWTime time);

// Hands the matrix to every tile camera in turn; the result is that of the
// highest-numbered tile with an evaluator, 0 (matrix untouched) without one.
int PreviewTiles(const HostServices &svc, const Tile *tiles, int count, double lpx, double lpy,
                 LWDMatrix4 projection);

// Clean up on every evaluator; the evaluators stay alive.
void CleanUpTiles(const HostServices &svc, const Tile *tiles, int count);

// Destroys every evaluator and forgets it.
void DestroyTiles(const HostServices &svc, Tile *tiles, int count);

// ---- cameras showing each other -------------------------------------------
// The host runs a tile's camera item with that item's own camera type, which
// may be another composite camera of this collection, and that one may show
// the first: A shows B, B shows A. Every call handed to the service would then
// come back into the camera that made it, without end.

// Set for the length of one of a composite camera's per-frame calls (render
// set-up, new time, new frame, clean up, preview) on the instance's flag; a
// call that comes back in while it is set has not entered and must return at
// once with its neutral result, touching nothing. The host makes these calls
// on its one calling thread (never from evaluate), so the flag is a plain
// member of the instance.
class FrameCallScope {
public:
    explicit FrameCallScope(bool &running) noexcept : running_(running), entered_(!running) { running_ = true; }
    ~FrameCallScope() {
        if (entered_) running_ = false;
    }
    FrameCallScope(const FrameCallScope &) = delete;
    FrameCallScope &operator=(const FrameCallScope &) = delete;
    bool entered() const noexcept { return entered_; }

private:
    bool &running_;
    const bool entered_;
};

// How many tile evaluations of this module's composite cameras the calling
// thread may have under way, one inside the other. A chain of composites
// that show composites is far shorter; only a cycle goes deeper.
constexpr int kMaxTileNesting = 8;

namespace detail {
inline thread_local int tTileNesting LENTARA_FAST_TLS = 0;
} // namespace detail

// Counts one tile evaluation under way on this thread for its lifetime. Evaluate
// runs on many threads, so the count is per thread and nothing shared is
// written; leaving restores the count taken on entry, which costs no reload.
class TileNesting {
public:
    TileNesting() noexcept : outer_(detail::tTileNesting) { detail::tTileNesting = outer_ + 1; }
    ~TileNesting() { detail::tTileNesting = outer_; }
    TileNesting(const TileNesting &) = delete;
    TileNesting &operator=(const TileNesting &) = delete;
    // False beyond kMaxTileNesting: no call may be handed on.
    bool ok() const noexcept { return outer_ < kMaxTileNesting; }

private:
    const int outer_;
};

// ---- handing a ray sample on -----------------------------------------------

// The service that takes a ray sample for a tile's camera, or null when the
// sample gets no ray: no evaluator, no ray record, no service, or input that
// is not finite.
inline const LWCameraEvaluationFuncs *TileServiceFor(const HostServices &svc, const Tile &tile, double fpx,
                                                     double fpy, double lpx, double lpy, double fraction,
                                                     const LWCameraRay *ray) {
    if (!tile.tileEvaluator || !ray) return nullptr;
    const LWCameraEvaluationFuncs *ce = svc.camevalfuncs;
    if (!ce || !ce->evaluate) return nullptr;
    if (!AllFinite(fpx, fpy, lpx, lpy, fraction)) return nullptr;
    return ce;
}

// What goes to the host for the service's result: a ray the tile camera wrote
// that is not usable (RayIsUsable: the host's own ray can overflow to a zero
// direction for film points far off the film) is no ray.
inline int TileRayResult(int result, const LWCameraRay &ray) {
    return (result != LWCAMTYPEEVAL_NO_RAY && !RayIsUsable(ray)) ? LWCAMTYPEEVAL_NO_RAY : result;
}

// Hands one ray sample to a tile's camera. Without an evaluator, for input
// that is not finite, or nested beyond kMaxTileNesting, returns 0 and leaves
// the ray record untouched. A ray the tile camera writes with non-finite
// members is reported as no ray.
//
// Inline: it runs for every ray of every composite, and a call of its own
// would cost more than its checks.
inline int EvaluateTile(const HostServices &svc, const Tile &tile, double fpx, double fpy, double lpx, double lpy,
                        double fraction, LWCameraRay *ray) {
    const LWCameraEvaluationFuncs *ce = TileServiceFor(svc, tile, fpx, fpy, lpx, lpy, fraction, ray);
    if (!ce) return LWCAMTYPEEVAL_NO_RAY;
    const TileNesting nesting;
    if (!nesting.ok()) return LWCAMTYPEEVAL_NO_RAY;
    return TileRayResult(ce->evaluate(tile.tileEvaluator, fpx, fpy, lpx, lpy, fraction, ray), *ray);
}

// ---- scene block -----------------------------------------------------------
// Each choice as one unsigned 32-bit value, in tile order, no header. Loading
// resolves nothing; a short block leaves the remaining choices as they were.
// Every tile's evaluator and item from an earlier pick are dropped, so no
// tile renders a camera other than its loaded choice names: until the next
// pick or render initialisation no tile has a camera.
void SaveChoices(const LWSaveState *save, const Tile *tiles, int count);
void LoadChoices(const HostServices &svc, const LWLoadState *load, Tile *tiles, int count);

} // namespace lentara
