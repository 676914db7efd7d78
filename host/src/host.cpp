#include "standin/host.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fasttls.h"
#include "handles.h"

namespace standin {

namespace {
std::atomic<Host *> gCurrent{nullptr};

extern "C" void *standinGlobal(const char *serviceName, int useMode) {
    Host *h = gCurrent.load();
    return h ? h->lookup(serviceName, useMode) : nullptr;
}
}  // namespace

namespace {
// Evaluations are counted per thread: each thread that evaluates leases one
// of kCountSlots slots (given back when the thread ends) and bumps its own
// cache line of every evaluator it calls, so threads sharing an evaluator
// never write the same line.  Threads beyond the leased ones share one
// atomic counter.
constexpr int kCountSlots = 8;
std::atomic<unsigned int> gSlotsInUse{0};
thread_local int tSlot STANDIN_FAST_TLS = -1;  // -1: not asked yet, kCountSlots: no slot free

struct SlotLease {
    int slot = -1;
    ~SlotLease() {
        if (slot >= 0 && slot < kCountSlots) gSlotsInUse.fetch_and(~(1u << slot));
    }
};

int claimSlot() {
    static thread_local SlotLease lease;
    unsigned int used = gSlotsInUse.load();
    int slot = kCountSlots;
    for (;;) {
        slot = kCountSlots;
        for (int i = 0; i < kCountSlots; ++i)
            if (!(used & (1u << i))) {
                slot = i;
                break;
            }
        if (slot == kCountSlots || gSlotsInUse.compare_exchange_weak(used, used | (1u << slot))) break;
    }
    lease.slot = slot;
    tSlot = slot;
    return slot;
}

// Changes whenever an evaluator ID may stop naming a live evaluator (an
// evaluator destroyed, a module released, a host made or gone); the per-thread
// ID cache below trusts only entries made under the current value.
std::atomic<unsigned long long> gEvalGeneration{1};

struct alignas(64) EvalCount {
    std::atomic<long long> n{0};
};
}  // namespace

namespace {
// Evaluators of camera items whose types are themselves composite cameras
// can form a cycle (A shows B, B shows A). The host refuses calls nested
// deeper than any sensible chain instead of recursing without end. Tests of
// cameras that guard against cycles themselves raise the limit, so that the
// host's refusal does not hide a missing guard.
constexpr int kDefaultEvaluatorDepth = 8;
std::atomic<int> gMaxEvaluatorDepth{kDefaultEvaluatorDepth};
thread_local int tEvaluatorDepth STANDIN_FAST_TLS = 0;
class DepthGuard {
public:
    DepthGuard() : ok_(tEvaluatorDepth < gMaxEvaluatorDepth.load(std::memory_order_relaxed)) { ++tEvaluatorDepth; }
    ~DepthGuard() { --tEvaluatorDepth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};
} // namespace

struct Host::Evaluator {
    // Read on every evaluate, written only by the per-frame calls.
    LWItemID item = nullptr;
    // The item's own camera instance: like the real host, an evaluator
    // drives the camera item's instance and switches its state to the
    // evaluator's. Null: plain pinhole.
    CameraInstance *camera = nullptr;
    bool lost = false; // the item's camera type went away under the evaluator
    std::atomic<bool> inRun{false};          // a run of evaluations is logged once
    // Pinhole state, fixed at newFrame.
    LWCameraAccess access{};
    double zoom = 3.2;
    int frame = 0;
    double time = 0.0;

    mutable std::mutex logMutex;
    EvaluatorLog log;
    EvalCount counts[kCountSlots];  // one line per leased thread slot
    EvalCount shared;               // threads without a slot

    void note(const char *call) {
        inRun = false;
        std::lock_guard<std::mutex> lock(logMutex);
        log.calls.emplace_back(call);
    }
    void noteEvaluate() {
        int slot = tSlot;
        if (slot < 0) slot = claimSlot();
        if (slot < kCountSlots) {
            // Only this thread writes this slot.
            std::atomic<long long> &c = counts[slot].n;
            c.store(c.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        } else {
            shared.n.fetch_add(1, std::memory_order_relaxed);
        }
        if (!inRun.load(std::memory_order_relaxed)) noteRunStart();
    }
    // The first evaluate of a run is logged (once, whichever thread gets here first).
    [[gnu::noinline]] void noteRunStart() {
        if (inRun.exchange(true)) return;
        std::lock_guard<std::mutex> lock(logMutex);
        log.calls.emplace_back("evaluate");
    }
    long long evaluations() const {
        long long total = shared.n.load();
        for (const EvalCount &c : counts) total += c.n.load();
        return total;
    }
};

namespace {
// A small per-thread map from evaluator IDs to evaluators, so that evaluate
// finds its evaluator without the lock and the search of Host::evaluator.
// An entry counts only while the generation it was made under is current;
// IDs the host never handed out (or has destroyed) always take the locked
// search and are refused there, so nothing is read through an unknown ID.
struct IdCacheEntry {
    const void *id;
    Host::Evaluator *evaluator;
    unsigned long long generation;
};
constexpr int kIdCacheSize = 16;
thread_local IdCacheEntry tIdCache[kIdCacheSize] STANDIN_FAST_TLS;

inline IdCacheEntry &idCacheEntry(const void *id) {
    auto h = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(id)) * 0x9E3779B97F4A7C15ull;
    return tIdCache[h >> 60];
}
}  // namespace

// Service functions reached through the global lookup.  None keeps state in
// shared scratch storage, so any of them may run on several threads.
struct HostServices {
    static Host *h() { return gCurrent.load(); }

    // ---- item info
    static LWItemID first(LWItemType type, LWItemID) { return h() ? h()->scene_.first(type) : nullptr; }
    static LWItemID next(LWItemID item) { return h() ? h()->scene_.next(item) : nullptr; }
    static LWItemID noItem(LWItemID) { return nullptr; }
    static LWItemID noChild(LWItemID, LWItemID) { return nullptr; }
    static LWItemType type(LWItemID item) { return h() ? h()->scene_.type(item) : -1; }
    static const char *name(LWItemID item) {
        if (!h() || h()->itemNameNull_) return nullptr;
        return h()->scene_.nameData(item);
    }
    static void param(LWItemID item, LWItemParam code, LWTime t, double *out) {
        if (!out) return;
        if (!h()) {
            out[0] = out[1] = out[2] = 0.0;
            return;
        }
        h()->scene_.param(item, code, t, out);
    }
    static unsigned int limits(LWItemID, LWItemParam, double *mn, double *mx) {
        for (int i = 0; i < 3; ++i) {
            if (mn) mn[i] = 0.0;
            if (mx) mx[i] = 0.0;
        }
        return 0;
    }
    static const char *getTag(LWItemID, int) { return nullptr; }
    static void setTag(LWItemID, int, const char *) {}
    static LWChanGroupID chanGroup(LWItemID item) { return h() ? h()->scene_.chanGroup(item) : nullptr; }
    static const char *server(LWItemID item, const char *className, int index) {
        Host *host = h();
        if (!host || !className || index != 1 || std::strcmp(className, LWCAMERA_HCLASS) != 0) return nullptr;
        CameraInstance *c = host->cameraInstance(item);
        return c ? c->server().c_str() : nullptr;
    }
    static unsigned int serverFlags(LWItemID, const char *, int) { return 0; }
    static void controller(LWItemID, LWItemParam, int type[3]) {
        if (type) type[0] = type[1] = type[2] = 0;
    }
    static unsigned int uzero(LWItemID) { return 0; }
    static double dzero(LWItemID) { return 0.0; }
    static void stiffness(LWItemID, LWItemParam, double *v) {
        if (v) v[0] = v[1] = v[2] = 0.0;
    }
    static unsigned int axisLocks(LWItemID, LWItemParam) { return 0; }

    // ---- camera info
    static double cam(LWItemID item, CamProp p, LWTime t) { return h() ? h()->scene_.camera(item, p, t) : 0.0; }
    static double zoomFactor(LWItemID i, LWTime t) { return cam(i, CamProp::ZoomFactor, t); }
    static double focalLength(LWItemID i, LWTime t) { return cam(i, CamProp::FocalLength, t); }
    static double focalDistance(LWItemID i, LWTime t) { return cam(i, CamProp::FocalDistance, t); }
    static double fStop(LWItemID i, LWTime t) { return cam(i, CamProp::FStop, t); }
    static double blurLength(LWItemID i, LWTime t) { return cam(i, CamProp::BlurLength, t); }
    static void fovAngles(LWItemID i, LWTime t, double *hz, double *vt) {
        double zoom = cam(i, CamProp::ZoomFactor, t);
        double w = cam(i, CamProp::FilmWidth, t), fh = cam(i, CamProp::FilmHeight, t);
        double vfov = zoom > 0.0 ? 2.0 * std::atan(1.0 / zoom) : 0.0;
        double hfov = (zoom > 0.0 && fh > 0.0) ? 2.0 * std::atan((w / fh) / zoom) : 0.0;
        if (hz) *hz = hfov;
        if (vt) *vt = vfov;
    }
    static unsigned int camFlags(LWItemID) { return 0; }
    static void resolution(LWItemID i, int *w, int *ht) {
        Host *host = h();
        if (!host || host->cameraInfoZero_) {
            if (w) *w = 0;
            if (ht) *ht = 0;
            return;
        }
        host->scene_.resolution(i, w, ht);
    }
    static double pixelAspect(LWItemID i, LWTime t) { return cam(i, CamProp::PixelAspect, t); }
    static double separation(LWItemID i, LWTime t) { return cam(i, CamProp::Separation, t); }
    static void limits4(LWItemID i, int *x0, int *y0, int *x1, int *y1) {
        int w = 0, ht = 0;
        resolution(i, &w, &ht);
        if (x0) *x0 = 0;
        if (y0) *y0 = 0;
        if (x1) *x1 = w > 0 ? w - 1 : 0;
        if (y1) *y1 = ht > 0 ? ht - 1 : 0;
    }
    static void maskColor(LWItemID, double *c) {
        if (c) c[0] = c[1] = c[2] = 0.0;
    }
    static unsigned int motionBlur(LWItemID i) { return (h() && h()->scene_.motionBlur(i)) ? 1u : 0u; }
    static int irisPos(LWItemID, LWTime, int, float *x, float *y) {
        if (x) *x = 0.0f;
        if (y) *y = 0.0f;
        return 0;
    }
    static int izero(LWItemID) { return 0; }
    static unsigned int blurPasses(LWItemID, LWTime) { return 1; }
    static double shutterEfficiency(LWItemID, LWTime) { return 1.0; }
    static void filmSize(LWItemID i, double *w, double *ht) {
        Host *host = h();
        bool zero = !host || host->cameraInfoZero_;
        if (w) *w = zero ? 0.0 : cam(i, CamProp::FilmWidth, host->timeInfo_.time);
        if (ht) *ht = zero ? 0.0 : cam(i, CamProp::FilmHeight, host->timeInfo_.time);
    }
    static unsigned int frameTiming(LWItemID, LWFrame, LWFrameTimingInfo *) { return 0; }
    static unsigned int antiAliasing(LWItemID, LWTime) { return 1; }
    static double overSampling(LWItemID, LWTime) { return 0.0; }
    static void diaphragm(LWItemID, LWTime, int *sides, double *rot) {
        if (sides) *sides = 0;
        if (rot) *rot = 0.0;
    }

    // ---- messages
    static void msg(const char *kind, const char *a, const char *b, const char *c = nullptr) {
        if (Host *host = h()) host->addMessage({kind, a ? a : "", b ? b : "", c ? c : ""});
    }
    static void info(const char *a, const char *b) { msg("info", a, b); }
    static void error(const char *a, const char *b) { msg("error", a, b); }
    static void warning(const char *a, const char *b) { msg("warning", a, b); }
    static int okCancel(const char *t, const char *a, const char *b) { return msg("okCancel", t, a, b), 1; }
    static int yesNo(const char *t, const char *a, const char *b) { return msg("yesNo", t, a, b), 1; }
    static int yesNoCan(const char *t, const char *a, const char *b) { return msg("yesNoCan", t, a, b), 1; }
    static int yesNoAll(const char *t, const char *a, const char *b) { return msg("yesNoAll", t, a, b), 1; }

    // ---- camera evaluation
    static Host::Evaluator *ev(LWCameraEvaluatorID id) { return h() ? h()->evaluator(id) : nullptr; }

    // The evaluate path: the per-thread ID cache, falling back on the locked search.
    static Host::Evaluator *evFast(LWCameraEvaluatorID id) {
        IdCacheEntry &c = idCacheEntry(id);
        const unsigned long long gen = gEvalGeneration.load(std::memory_order_acquire);
        if (c.id == id && c.generation == gen && id) return c.evaluator;
        Host::Evaluator *e = ev(id);
        if (e) c = IdCacheEntry{id, e, gen};
        return e;
    }

    static LWCameraEvaluatorID create(LWItemID item) {
        Host *host = h();
        if (!host || host->evaluatorRefuses_ || host->scene_.type(item) != LWI_CAMERA) return nullptr;
        auto e = std::make_unique<Host::Evaluator>();
        e->item = item;
        e->log.item = item;
        CameraInstance *source = host->cameraInstance(item);
        if (source) {
            e->camera = source;
        } else {
            e->log.pinhole = true;
        }
        pinholeSetup(*host, *e, 0.0);
        e->log.calls.emplace_back("create");
        const std::uintptr_t handle = NewHandle();
        std::unique_lock<std::shared_mutex> lock(host->evalMutex_);
        host->evaluators_.emplace(handle, std::move(e));
        ++host->evalCreated_;
        return HandleId<LWCameraEvaluatorID>(handle);
    }

    static void pinholeSetup(Host &host, Host::Evaluator &e, double t) {
        host.buildAccess(e.item, t, &e.access);
        e.zoom = host.scene_.camera(e.item, CamProp::ZoomFactor, t);
    }

    static void destroy(LWCameraEvaluatorID id) {
        Host::Evaluator *e = ev(id);
        if (!e) return;
        e->note("destroy");
        std::unique_lock<std::shared_mutex> lock(h()->evalMutex_);
        h()->retireEvaluator(HandleOf(id));
    }

    static LWError init(LWCameraEvaluatorID id, int mode) {
        Host::Evaluator *e = ev(id);
        if (!e) return "unknown camera evaluator";
        e->note("init");
        if (!e->camera) return e->lost ? "camera evaluator: camera gone" : nullptr;
        DepthGuard depth;
        if (!depth.ok()) return "camera evaluator: cameras show each other";
        std::string err = e->camera->initRender(mode);
        return err.empty() ? nullptr : "camera evaluator: init failed";
    }

    static void cleanUp(LWCameraEvaluatorID id) {
        Host::Evaluator *e = ev(id);
        if (!e) return;
        e->note("cleanUp");
        DepthGuard depth;
        if (e->camera && depth.ok()) e->camera->cleanUp();
    }

    static LWError newTime(LWCameraEvaluatorID id, LWFrame frame, LWTime time) {
        Host::Evaluator *e = ev(id);
        if (!e) return "unknown camera evaluator";
        e->note("newTime");
        e->frame = frame;
        e->time = time;
        if (!e->camera) return e->lost ? "camera evaluator: camera gone" : nullptr;
        DepthGuard depth;
        if (!depth.ok()) return "camera evaluator: cameras show each other";
        std::string err = e->camera->newTime(frame, time);
        return err.empty() ? nullptr : "camera evaluator: newTime failed";
    }

    static int preview(LWCameraEvaluatorID id, double lpx, double lpy, LWDMatrix4 m) {
        Host::Evaluator *e = ev(id);
        if (!e || !m) return 0;
        e->note("preview");
        if (e->camera) {
            DepthGuard depth;
            return depth.ok() ? e->camera->preview(lpx, lpy, m) : 0;
        }
        if (e->lost) return 0;
        // Perspective projection in OpenGL layout (m[column][row]) scaled to the film:
        // film x = f * x / z, with f the focal length in metres.
        double filmH = e->access.filmSize[1];
        double f = e->zoom * filmH * 0.5;
        const double n = 0.1, fa = 1000.0;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) m[c][r] = 0.0;
        m[0][0] = f;
        m[1][1] = f;
        m[2][2] = (fa + n) / (fa - n);
        m[2][3] = 1.0;
        m[3][2] = -2.0 * fa * n / (fa - n);
        return 1;
    }

    static LWError newFrame(LWCameraEvaluatorID id) {
        Host::Evaluator *e = ev(id);
        if (!e) return "unknown camera evaluator";
        e->note("newFrame");
        if (e->lost) return "camera evaluator: camera gone";
        if (e->camera) {
            DepthGuard depth;
            if (!depth.ok()) return "camera evaluator: cameras show each other";
            std::string err = e->camera->newFrame(e->frame);
            return err.empty() ? nullptr : "camera evaluator: newFrame failed";
        }
        pinholeSetup(*h(), *e, h()->frameInfo(e->frame).start);
        return nullptr;
    }

    // The evaluate path. An ID the thread's cache knows, on a thread with its
    // own count slot, in a run already logged and not too deep in nested
    // evaluators, goes straight to the camera with no other call on the way:
    // a call before it would make the compiler keep the film point in memory
    // instead of registers, and the camera's ray waits for it. Every other
    // case takes the general path (out of line, as a tail call).
    static int evaluate(LWCameraEvaluatorID id, double fpx, double fpy, double lpx, double lpy, double frac,
                        LWCameraRay *ray) {
        const IdCacheEntry &c = idCacheEntry(id);
        if (!(c.id == id && id && c.generation == gEvalGeneration.load(std::memory_order_acquire) && ray))
            return evaluateLookingUp(id, fpx, fpy, lpx, lpy, frac, ray);
        Host::Evaluator *e = c.evaluator;
        const int slot = tSlot;
        if (slot < 0 || slot >= kCountSlots || !e->inRun.load(std::memory_order_relaxed) || !e->camera ||
            tEvaluatorDepth >= gMaxEvaluatorDepth.load(std::memory_order_relaxed))
            return evaluateOn(e, fpx, fpy, lpx, lpy, frac, ray);
        std::atomic<long long> &n = e->counts[slot].n; // only this thread writes it
        n.store(n.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        ++tEvaluatorDepth;
        const int result = e->camera->evaluate(fpx, fpy, lpx, lpy, frac, ray);
        --tEvaluatorDepth;
        return result;
    }
    [[gnu::noinline]] static int evaluateLookingUp(LWCameraEvaluatorID id, double fpx, double fpy, double lpx,
                                                   double lpy, double frac, LWCameraRay *ray) {
        Host::Evaluator *e = evFast(id);
        if (!e || !ray) return LWCAMTYPEEVAL_NO_RAY;
        return evaluateOn(e, fpx, fpy, lpx, lpy, frac, ray);
    }
    [[gnu::noinline]] static int evaluateOn(Host::Evaluator *e, double fpx, double fpy, double lpx, double lpy,
                                            double frac, LWCameraRay *ray) {
        e->noteEvaluate();
        if (e->camera) {
            DepthGuard depth;
            return depth.ok() ? e->camera->evaluate(fpx, fpy, lpx, lpy, frac, ray) : LWCAMTYPEEVAL_NO_RAY;
        }
        return evaluatePinhole(*e, fpx, fpy, ray);
    }
    // An evaluator of a camera item without a camera type: the host's own pinhole.
    static int evaluatePinhole(const Host::Evaluator &e, double fpx, double fpy, LWCameraRay *ray) {
        if (e.lost) return LWCAMTYPEEVAL_NO_RAY;
        const LWCameraAccess &a = e.access;
        double dist = e.zoom * a.filmSize[1] * 0.5;
        double d[3], len2 = 0.0;
        for (int i = 0; i < 3; ++i) {
            d[i] = fpx * a.toWorld[0][i] + fpy * a.toWorld[1][i] + dist * a.toWorld[2][i];
            len2 += d[i] * d[i];
        }
        double inv = len2 > 0.0 ? 1.0 / std::sqrt(len2) : 0.0;
        for (int i = 0; i < 3; ++i) {
            ray->rayPos[i] = a.worldPos[i];
            ray->rayDir[i] = d[i] * inv;
            ray->filmNorm[i] = a.toWorld[2][i];
        }
        identityFilter(ray);
        return LWCAMTYPEEVAL_RAY;
    }
};

Host::Host() {
    itemInfo_ = LWItemInfo{HostServices::first,     HostServices::next,        HostServices::noItem,
                           HostServices::noChild,   HostServices::noItem,      HostServices::noItem,
                           HostServices::noItem,    HostServices::type,        HostServices::name,
                           HostServices::param,     HostServices::limits,      HostServices::getTag,
                           HostServices::setTag,    HostServices::chanGroup,   HostServices::server,
                           HostServices::serverFlags, HostServices::controller, HostServices::uzero,
                           HostServices::dzero,     HostServices::dzero,       HostServices::stiffness,
                           HostServices::axisLocks, HostServices::uzero,       HostServices::dzero};
    cameraInfo_ = LWCameraInfo{HostServices::zoomFactor, HostServices::focalLength, HostServices::focalDistance,
                               HostServices::fStop,      HostServices::blurLength,  HostServices::fovAngles,
                               HostServices::camFlags,   HostServices::resolution,  HostServices::pixelAspect,
                               HostServices::separation, HostServices::limits4,     HostServices::limits4,
                               HostServices::maskColor,  HostServices::motionBlur,  HostServices::uzero,
                               HostServices::irisPos,    HostServices::izero,       HostServices::izero,
                               HostServices::izero,      HostServices::blurPasses,  HostServices::shutterEfficiency,
                               HostServices::uzero,      HostServices::filmSize,    HostServices::frameTiming,
                               HostServices::antiAliasing, HostServices::overSampling, HostServices::diaphragm};
    messageFuncs_ = LWMessageFuncs{HostServices::info,  HostServices::error,    HostServices::warning,
                                   HostServices::okCancel, HostServices::yesNo, HostServices::yesNoCan,
                                   HostServices::yesNoAll};
    evalFuncs_ = LWCameraEvaluationFuncs{HostServices::create,  HostServices::destroy, HostServices::init,
                                         HostServices::cleanUp, HostServices::newTime, HostServices::preview,
                                         HostServices::newFrame, HostServices::evaluate};
    gEvalGeneration.fetch_add(1);
    gMaxEvaluatorDepth.store(kDefaultEvaluatorDepth);
    gCurrent.store(this);
}

void Host::setEvaluatorDepthLimit(int depth) {
    gMaxEvaluatorDepth.store(depth > 0 ? depth : kDefaultEvaluatorDepth);
}

Host::~Host() {
    // Evaluators and camera instances first: their destroy functions may
    // still ask for services.
    {
        std::unique_lock<std::shared_mutex> lock(evalMutex_);
        evaluators_.clear();
        gEvalGeneration.fetch_add(1);
    }
    {
        std::map<LWItemID, std::unique_ptr<CameraInstance>> types;
        {
            std::lock_guard<std::mutex> lock(typeMutex_);
            types.swap(types_);
        }
        types.clear();
    }
    modules_.clear();
    Host *self = this;
    gCurrent.compare_exchange_strong(self, nullptr);
}

Host *Host::current() { return gCurrent.load(); }

GlobalFunc *Host::globalFunc() { return standinGlobal; }

void *Host::lookup(const char *serviceName, int /*useMode*/) {
    std::string name = serviceName ? serviceName : "";
    {
        std::lock_guard<std::mutex> lock(lookupMutex_);
        lookupLog_.push_back(name);
        if (missing_.count(name)) return nullptr;
    }
    unsigned int sys = systemId_.load();
    bool renderNode = (sys & LWSYS_TYPEBITS) == LWSYS_SCREAMERNET;
    if (renderNode && renderNodeWithholds_ &&
        (name == LWXPANELFUNCS_GLOBAL || name == LWVPARMFUNCS_GLOBAL || name == LWMESSAGEFUNCS_GLOBAL))
        return nullptr;
    if (name == LWITEMINFO_GLOBAL) return &itemInfo_;
    if (name == LWCAMERAINFO_GLOBAL) return &cameraInfo_;
    if (name == LWTIMEINFO_GLOBAL) return &timeInfo_;
    if (name == LWXPANELFUNCS_GLOBAL) return panels_.funcs();
    if (name == LWVPARMFUNCS_GLOBAL) return envelopes_.funcs();
    if (name == LWMESSAGEFUNCS_GLOBAL) return &messageFuncs_;
    if (name == LWSYSTEMID_GLOBAL) return reinterpret_cast<void *>(static_cast<std::uintptr_t>(sys));
    if (name == LWCAMERAEVALUATIONFUNCS_GLOBAL) return &evalFuncs_;
    return nullptr;
}

std::vector<std::string> Host::lookupLog() const {
    std::lock_guard<std::mutex> lock(lookupMutex_);
    return lookupLog_;
}

int Host::lookupCount(const std::string &name) const {
    std::lock_guard<std::mutex> lock(lookupMutex_);
    int n = 0;
    for (const auto &s : lookupLog_)
        if (s == name) ++n;
    return n;
}

void Host::clearLookupLog() {
    std::lock_guard<std::mutex> lock(lookupMutex_);
    lookupLog_.clear();
}

void Host::setServiceMissing(const std::string &name, bool missing) {
    std::lock_guard<std::mutex> lock(lookupMutex_);
    if (missing)
        missing_.insert(name);
    else
        missing_.erase(name);
}

void Host::setSystemId(unsigned int id) { systemId_ = id; }
void Host::setRenderNode(unsigned int node) { systemId_ = LWSYS_SCREAMERNET | (node & LWSYS_SERIALBITS); }

std::vector<Message> Host::messages() const {
    std::lock_guard<std::mutex> lock(messageMutex_);
    return messages_;
}

void Host::clearMessages() {
    std::lock_guard<std::mutex> lock(messageMutex_);
    messages_.clear();
}

void Host::addMessage(Message m) {
    std::lock_guard<std::mutex> lock(messageMutex_);
    messages_.push_back(std::move(m));
}

void Host::setTime(double time, int frame) {
    timeInfo_.time = time;
    timeInfo_.frame = frame;
}

LWFrameInfo Host::frameInfo(int frame) const {
    LWFrameInfo fi{};
    double fps = render_.fps > 0.0 ? render_.fps : 30.0;
    fi.frame = frame;
    fi.start = frame / fps;
    fi.duration = render_.shutter / fps;
    fi.framesPerSecond = fps;
    fi.motionSteps = render_.motionSteps;
    return fi;
}

void Host::buildAccess(LWItemID item, double time, LWCameraAccess *out) const {
    *out = LWCameraAccess{};
    out->cameraID = item;
    scene_.position(item, time, out->worldPos);
    Axes a = scene_.axes(item, time);
    for (int i = 0; i < 3; ++i) {
        out->toWorld[0][i] = a.right[i];
        out->toWorld[1][i] = a.up[i];
        out->toWorld[2][i] = a.forward[i];
    }
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out->toCamera[r][c] = out->toWorld[c][r];
    out->filmSize[0] = scene_.camera(item, CamProp::FilmWidth, time);
    out->filmSize[1] = scene_.camera(item, CamProp::FilmHeight, time);
}

CameraInstance *Host::setCameraType(LWItemID item, const Module &module, const std::string &server) {
    // The item's old camera type goes before the new one is made, as when the
    // user picks another type for the camera.
    clearCameraType(item);
    auto inst = std::make_unique<CameraInstance>(*this, module, server, item);
    std::lock_guard<std::mutex> lock(typeMutex_);
    if (!inst->ok()) {
        lastError_ = inst->error();
        return nullptr;
    }
    lastError_.clear();
    auto &slot = types_[item];
    slot = std::move(inst);
    return slot.get();
}

void Host::clearCameraType(LWItemID item) {
    std::unique_ptr<CameraInstance> old;
    {
        std::lock_guard<std::mutex> lock(typeMutex_);
        auto it = types_.find(item);
        if (it == types_.end()) return;
        old = std::move(it->second);
        types_.erase(it);
    }
    // Evaluators that drove this instance lose their camera; they give no rays.
    std::unique_lock<std::shared_mutex> lock(evalMutex_);
    for (auto &entry : evaluators_)
        if (entry.second->camera == old.get()) {
            entry.second->camera = nullptr;
            entry.second->lost = true;
        }
}

CameraInstance *Host::cameraInstance(LWItemID item) const {
    std::lock_guard<std::mutex> lock(typeMutex_);
    auto it = types_.find(item);
    return it == types_.end() ? nullptr : it->second.get();
}

bool Host::removeItem(LWItemID item) {
    clearCameraType(item);
    return scene_.removeItem(item);
}

Module &Host::loadModule(const std::string &path) {
    modules_.push_back(std::make_unique<Module>(path));
    return *modules_.back();
}

void Host::releaseModule(const Module &module) {
    std::vector<std::unique_ptr<CameraInstance>> doomed;
    {
        std::unique_lock<std::shared_mutex> lock(evalMutex_);
        std::vector<std::uintptr_t> running;
        for (const auto &entry : evaluators_)
            if (entry.second->camera && &entry.second->camera->module() == &module) running.push_back(entry.first);
        for (std::uintptr_t handle : running) retireEvaluator(handle);
        gEvalGeneration.fetch_add(1);
    }
    {
        std::lock_guard<std::mutex> lock(typeMutex_);
        for (auto it = types_.begin(); it != types_.end();)
            if (&it->second->module() == &module) {
                doomed.push_back(std::move(it->second));
                it = types_.erase(it);
            } else {
                ++it;
            }
    }
    // Instances are destroyed outside the locks: their destroy functions may
    // call back into the evaluation service.  Item instances go first so that
    // evaluators they own are destroyed through the service.
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) it->reset();
}

Host::Evaluator *Host::evaluator(LWCameraEvaluatorID id) const {
    std::shared_lock<std::shared_mutex> lock(evalMutex_);
    auto it = evaluators_.find(HandleOf(id));
    return it == evaluators_.end() ? nullptr : it->second.get();
}

void Host::retireEvaluator(std::uintptr_t handle) {
    auto it = evaluators_.find(handle);
    if (it == evaluators_.end()) return;
    Evaluator &e = *it->second;
    e.camera = nullptr;
    if (keepDestroyedLogs_) {
        std::lock_guard<std::mutex> l(e.logMutex);
        EvaluatorLog log = e.log;
        log.evaluations = e.evaluations();
        log.destroyed = true;
        destroyedLogs_.emplace_back(handle, std::move(log));
    }
    evaluators_.erase(it);
    ++evalDestroyed_;
    gEvalGeneration.fetch_add(1);
}

void Host::setKeepDestroyedLogs(bool keep) {
    std::unique_lock<std::shared_mutex> lock(evalMutex_);
    keepDestroyedLogs_ = keep;
    if (!keep) destroyedLogs_.clear();
}

std::vector<EvaluatorLog> Host::evaluatorLogs() const {
    std::shared_lock<std::shared_mutex> lock(evalMutex_);
    std::vector<std::pair<std::uintptr_t, EvaluatorLog>> all = destroyedLogs_;
    for (const auto &[handle, e] : evaluators_) {
        std::lock_guard<std::mutex> l(e->logMutex);
        EvaluatorLog log = e->log;
        log.evaluations = e->evaluations();
        all.emplace_back(handle, std::move(log));
    }
    // Handles grow with every evaluator made: their order is creation order.
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<EvaluatorLog> out;
    for (auto &entry : all) out.push_back(std::move(entry.second));
    return out;
}

}  // namespace standin
