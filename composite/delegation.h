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
//   - creation of a camera type of which at most one instance may exist.
// All functions take the namespace's own HostServices.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

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
// minus 1), or null for a negative position or one past the end.
LWItemID getItemByIndex(const HostServices &svc, LWItemID carrier, int position);

// Popup callbacks of one namespace: the carrier is the item of the instance
// whose panel was built last. Cam derives from CameraBase.
template <class Cam, HostServices *Svc, void **GInstance>
int PanelPopCount(void *) {
    const Cam *cam = static_cast<const Cam *>(*GInstance);
    return CameraListCount(*Svc, cam ? cam->item : nullptr);
}
template <class Cam, HostServices *Svc, void **GInstance>
const char *PanelPopName(void *, int index) {
    const Cam *cam = static_cast<const Cam *>(*GInstance);
    return CameraListName(*Svc, cam ? cam->item : nullptr, index);
}

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

// Whether a ray a tile camera wrote can go to the host: finite, and with a
// direction that is not zero (the host's own ray can overflow to one for film
// points far off the film). Finiteness is one test:
// x - x is +0 for every finite x and NaN for an infinity or a NaN, so the sum
// of the nine differences is zero exactly when all nine members are finite.
// With SSE2 the nine members (in a row in the record) go two at a time.
static_assert(offsetof(LWCameraRay, rayDir) == offsetof(LWCameraRay, rayPos) + 3 * sizeof(double) &&
                  offsetof(LWCameraRay, filmNorm) == offsetof(LWCameraRay, rayDir) + 3 * sizeof(double),
              "position, direction and film normal are nine doubles in a row");
inline bool RayIsUsable(const LWCameraRay &r) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128d a = _mm_loadu_pd(&r.rayPos[0]), b = _mm_loadu_pd(&r.rayPos[2]);
    const __m128d c = _mm_loadu_pd(&r.rayDir[1]), d = _mm_loadu_pd(&r.filmNorm[0]);
    const __m128d e = _mm_load_sd(&r.filmNorm[2]); // upper lane +0
    __m128d s = _mm_add_pd(_mm_add_pd(_mm_sub_pd(a, a), _mm_sub_pd(b, b)),
                           _mm_add_pd(_mm_sub_pd(c, c), _mm_sub_pd(d, d)));
    s = _mm_add_pd(s, _mm_sub_pd(e, e));
    s = _mm_add_sd(s, _mm_unpackhi_pd(s, s));
    if (_mm_cvtsd_f64(s) != 0.0) return false;
#else
    double s = 0.0;
    for (int i = 0; i < 3; ++i)
        s += (r.rayPos[i] - r.rayPos[i]) + (r.rayDir[i] - r.rayDir[i]) + (r.filmNorm[i] - r.filmNorm[i]);
    if (s != 0.0) return false;
#endif
    return r.rayDir[0] != 0.0 || r.rayDir[1] != 0.0 || r.rayDir[2] != 0.0;
}

// Hands one ray sample to a tile's camera. Without an evaluator, or for input
// that is not finite, returns 0 and leaves the ray record untouched. A ray the
// tile camera writes with non-finite members is reported as no ray.
//
// Inline: it runs for every ray of every composite, and a call of its own
// would cost more than its checks.
inline int EvaluateTile(const HostServices &svc, const Tile &tile, double fpx, double fpy, double lpx, double lpy,
                        double fraction, LWCameraRay *ray) {
    if (!tile.tileEvaluator || !ray) return LWCAMTYPEEVAL_NO_RAY;
    const LWCameraEvaluationFuncs *ce = svc.camevalfuncs;
    if (!ce || !ce->evaluate) return LWCAMTYPEEVAL_NO_RAY;
    if (!AllFinite(fpx, fpy, lpx, lpy, fraction)) return LWCAMTYPEEVAL_NO_RAY;
    const int result = ce->evaluate(tile.tileEvaluator, fpx, fpy, lpx, lpy, fraction, ray);
    if (result != LWCAMTYPEEVAL_NO_RAY && !RayIsUsable(*ray)) return LWCAMTYPEEVAL_NO_RAY;
    return result;
}

// ---- scene block -----------------------------------------------------------
// Each choice as one unsigned 32-bit value, in tile order, no header. Loading
// resolves nothing; a short block leaves the remaining choices as they were.
// Every tile's evaluator and item from an earlier pick are dropped, so no
// tile renders a camera other than its loaded choice names: until the next
// pick or render initialisation no tile has a camera.
void SaveChoices(const LWSaveState *save, const Tile *tiles, int count);
void LoadChoices(const HostServices &svc, const LWLoadState *load, Tile *tiles, int count);

// ---- one instance at a time ------------------------------------------------

// Creates a Cam for the context item unless `active` is set, in which case
// `message` goes to the error out-parameter and there is no instance.
template <class Cam>
LWInstance CreateOneAtATime(unsigned char &active, const char *message, void *context, LWError *error) noexcept {
    if (active) {
        if (error) *error = message;
        return nullptr;
    }
    try {
        Cam *cam = new Cam(static_cast<LWItemID>(context));
        active = 1;
        return cam;
    } catch (const std::bad_alloc &) {
        if (error) *error = "Out of memory";
    } catch (...) {
        if (error) *error = "Could not create the camera";
    }
    return nullptr;
}

// Frees the instance (the destructor releases what it owns) and clears the
// flag; a null instance is ignored.
template <class Cam>
void DestroyOneAtATime(unsigned char &active, LWInstance inst) noexcept {
    if (!inst) return;
    try {
        delete static_cast<Cam *>(inst);
    } catch (...) {
    }
    active = 0;
}

} // namespace lentara
