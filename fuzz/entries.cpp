// entries.cpp -- fuzzed entry points over the built modules in the stand-in
// host. One host and the loaded modules live for the whole process; every
// input makes its own camera instances and scene edits and undoes them.
#include "fuzz/entries.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "standin/host.h"

namespace lentara_fuzz {

const std::vector<const char *> &ModulePaths() {
    static const std::vector<const char *> paths = {
#include "fuzz_modules.inc"
    };
    return paths;
}

[[noreturn]] void Fail(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::fprintf(stderr, "lentara fuzz: ");
    std::vfprintf(stderr, fmt, args);
    std::fprintf(stderr, "\n");
    va_end(args);
    std::abort();
}

namespace {

// Reads the input front to back; past its end every read gives zeros.
class Reader {
public:
    Reader(const std::uint8_t *data, std::size_t size) : p_(data), n_(size) {}
    bool empty() const { return n_ == 0; }
    std::uint8_t byte() {
        if (n_ == 0) return 0;
        --n_;
        return *p_++;
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return v;
    }
    // Any double, with the awkward ones common: NaN, infinities, huge,
    // denormal, signed zero, values near the film, raw bit patterns.
    double real() {
        const std::uint8_t kind = byte();
        switch (kind % 16) {
        case 0: return std::numeric_limits<double>::quiet_NaN();
        case 1: return std::numeric_limits<double>::infinity();
        case 2: return -std::numeric_limits<double>::infinity();
        case 3: return 1e300;
        case 4: return -1e300;
        case 5: return std::numeric_limits<double>::denorm_min();
        case 6: return -0.0;
        case 7: return DBL_MAX;
        case 8: return 0.0;
        case 9: {
            std::uint64_t bits = (static_cast<std::uint64_t>(u32()) << 32) | u32();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        case 10: return static_cast<std::int8_t>(byte());  // small integers
        case 11: return static_cast<std::int32_t>(u32()) * 1e-9;  // film-sized values
        default: return (static_cast<double>(u32()) / 4294967295.0 - 0.5) * (kind & 0x80 ? 8.0 : 0.08);
        }
    }
    int integer() {
        const std::uint8_t kind = byte();
        switch (kind % 4) {
        case 0: return static_cast<std::int8_t>(byte());
        case 1: return static_cast<int>(u32());
        default: return kind >> 2;  // 0..63
        }
    }
    std::string rest() {
        std::string s(reinterpret_cast<const char *>(p_), n_);
        p_ += n_;
        n_ = 0;
        return s;
    }

private:
    const std::uint8_t *p_;
    std::size_t n_;
};

struct CameraType {
    standin::Module *module;
    std::string server;
    bool composite = false;  // has a camera-choice popup
};

// The scene every input starts from: a moving camera with a camera type
// under test and two more cameras to pick.
struct Env {
    standin::Host host;
    std::vector<std::unique_ptr<standin::Module>> modules;
    std::vector<CameraType> types;
    std::vector<std::size_t> composites;  // indices into types
    LWItemID camera = nullptr;
    std::vector<LWItemID> fixedItems;

    Env() {
        standin::Scene &s = host.scene();
        camera = s.addCamera("Camera");
        s.setPosition(camera, 0.5, 1.2, -4.0);
        s.setRotation(camera, 0.3, -0.1, 0.05);
        s.setMotionKeys(camera, standin::Motion::X, {{0.0, 0.5}, {1.0, 1.5}});
        s.setMotionKeys(camera, standin::Motion::Heading, {{0.0, 0.3}, {1.0, 0.8}});
        s.setResolution(camera, 64, 48);
        LWItemID second = s.addCamera("Second");
        s.setPosition(second, -2.0, 0.5, 3.0);
        LWItemID third = s.addCamera("Third");
        s.setRotation(third, -1.5, 0.0, 0.1);
        fixedItems = {camera, second, third};
        host.render().motionSteps = 3;

        // Memory stays flat over millions of inputs: no logs of destroyed evaluators.
        host.setKeepDestroyedLogs(false);
        for (const char *path : ModulePaths()) {
            auto m = std::make_unique<standin::Module>(path);
            if (!m->ok()) Fail("cannot load %s: %s", path, m->error().c_str());
            for (const standin::ServerInfo &info : m->servers())
                if (info.className == LWCAMERA_HCLASS) types.push_back({m.get(), info.name});
            modules.push_back(std::move(m));
        }
        if (types.empty()) Fail("no camera handlers");
        for (std::size_t i = 0; i < types.size(); ++i) {
            standin::CameraInstance cam(host, *types[i].module, types[i].server, camera);
            if (!cam.ok()) Fail("%s: no instance: %s", types[i].server.c_str(), cam.error().c_str());
            LWInterface iface{};
            if (cam.activateInterface(iface) != AFUNC_OK || !iface.panel) continue;
            const standin::PanelRecord *rec = host.panels().record(iface.panel);
            if (!rec) continue;
            for (const standin::PanelControl &c : rec->controls) {
                std::vector<std::string> choices = host.panels().popupChoices(iface.panel, c.cid);
                if (!choices.empty() && choices[0] == "(none)") types[i].composite = true;
            }
            if (types[i].composite) composites.push_back(i);
        }
    }
    ~Env() {
        // Camera instances and evaluators go before their modules unload.
        modules.clear();
    }

    // A first byte below the type count names the type directly, so stored
    // inputs keep their type when a module gains types at the end.
    const CameraType &pick(Reader &r) const {
        const std::size_t b = r.byte();
        return types[b < types.size() ? b : b % types.size()];
    }
    std::unique_ptr<standin::CameraInstance> make(const CameraType &t) {
        auto cam = std::make_unique<standin::CameraInstance>(host, *t.module, t.server, camera);
        if (!cam->ok()) Fail("%s: no instance: %s", t.server.c_str(), cam->error().c_str());
        return cam;
    }
    // Back to the three starting cameras in their order.
    void resetScene() {
        standin::Scene &s = host.scene();
        for (LWItemID item : s.items(LWI_CAMERA))
            if (std::find(fixedItems.begin(), fixedItems.end(), item) == fixedItems.end()) host.removeItem(item);
        for (std::size_t i = 0; i < fixedItems.size(); ++i) s.moveItem(fixedItems[i], i);
    }
};

// The shared scene and host, its logs emptied: the host logs every service
// lookup and message, and over millions of inputs those logs alone would
// fill the memory.
Env &env() {
    static Env e;
    e.host.clearLookupLog();
    e.host.clearMessages();
    return e;
}

bool IsEnvelopeControl(const std::string &ctrlclass) {
    return ctrlclass.size() > 4 && ctrlclass.compare(ctrlclass.size() - 4, 4, "-env") == 0;
}

// Storage any panel value can be read from or written into.
union PanelValue {
    double d[4];
    int i[8];
    char s[32];
};

// Random values into every control of the instance's panel: envelopes get a
// value (or keys), numbers and choices a value of the control's data type.
void RandomSettings(Env &e, standin::CameraInstance &cam, Reader &r) {
    LWInterface iface{};
    if (cam.activateInterface(iface) != AFUNC_OK || !iface.panel) return;
    standin::PanelService &panels = e.host.panels();
    const standin::PanelRecord *rec = panels.record(iface.panel);
    if (!rec) return;
    const std::vector<standin::PanelControl> controls = rec->controls;
    for (const standin::PanelControl &c : controls) {
        if (!(r.byte() & 1)) continue;
        const std::string type = panels.datatype(iface.panel, c.cid);
        if (IsEnvelopeControl(c.ctrlclass)) {
            auto vp = static_cast<LWVParmID>(panels.get(iface.panel, c.cid));
            if (!vp || !e.host.envelopes().live(vp)) continue;
            if (r.byte() & 1) {
                e.host.envelopes().setValue(vp, r.real());
            } else {
                std::vector<standin::Key> keys;
                // Key times are the host's and always finite; the values are anything.
                for (int k = r.byte() % 4; k >= 0; --k) keys.push_back({r.byte() / 24.0 - 2.0, r.real()});
                e.host.envelopes().setKeys(vp, keys);
            }
        } else if (type == "integer" || type == "choice") {
            PanelValue v{};
            v.i[0] = r.integer();
            panels.set(iface.panel, c.cid, &v);
        } else if (type == "float" || type == "distance" || type == "angle" || type == "percent") {
            PanelValue v{};
            v.d[0] = r.real();
            panels.set(iface.panel, c.cid, &v);
        }
    }
}

void CheckRay(const CameraType &t, int code, const LWCameraRay &ray, double fx, double fy, double lx, double ly,
              double frac) {
    if (code != LWCAMTYPEEVAL_RAY) return;
    const double *v = &ray.rayPos[0];
    for (int k = 0; k < 18; ++k)
        if (!std::isfinite(v[k]))
            Fail("%s: ray component %d is %g for film (%g, %g) lens (%g, %g) fraction %g", t.server.c_str(), k,
                 v[k], fx, fy, lx, ly, frac);
    double len = std::sqrt(ray.rayDir[0] * ray.rayDir[0] + ray.rayDir[1] * ray.rayDir[1] +
                           ray.rayDir[2] * ray.rayDir[2]);
    if (!(len > 0.0))
        Fail("%s: zero ray direction for film (%g, %g) lens (%g, %g) fraction %g", t.server.c_str(), fx, fy, lx, ly,
             frac);
}

void EvaluateSome(const CameraType &t, standin::CameraInstance &cam, Reader &r, int count) {
    for (int i = 0; i < count && !r.empty(); ++i) {
        const double fx = r.real(), fy = r.real(), lx = r.real(), ly = r.real(), frac = r.real();
        LWCameraRay ray{};
        const int code = cam.evaluate(fx, fy, lx, ly, frac, &ray);
        if (code != LWCAMTYPEEVAL_NO_RAY && code != LWCAMTYPEEVAL_RAY && code != LWCAMTYPEEVAL_DO_DEF_INTERP)
            Fail("%s: evaluate returned %d", t.server.c_str(), code);
        CheckRay(t, code, ray, fx, fy, lx, ly, frac);
    }
}

struct Sample {
    double fx, fy, lx, ly, frac;
    int code;
    LWCameraRay ray;
};

// A second evaluating thread for the whole run, as a render thread lives
// across frames: its per-thread caches see camera instances come and go.
// (Starting a thread per input cost more than the input's evaluations.)
class OtherThread {
public:
    OtherThread() : thread_([this] { Loop(); }) {}
    ~OtherThread() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    // Runs the job there; Wait returns once it is done.
    void Start(std::function<void()> job) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = std::move(job);
            pending_ = true;
        }
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !pending_; });
    }

private:
    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return quit_ || pending_; });
            if (quit_) return;
            std::function<void()> job = std::move(job_);
            lock.unlock();
            job();
            lock.lock();
            pending_ = false;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool pending_ = false, quit_ = false;
    std::thread thread_;  // last: starts once the rest is there
};

// Random samples evaluated in order, then again backwards on another thread
// (its caches hold what earlier inputs left, and it sees the fractions in
// another order): every result must be the same bit for bit.
void EvaluateTwice(const CameraType &t, standin::CameraInstance &cam, Reader &r, int count) {
    std::vector<Sample> samples;
    for (int i = 0; i < count && !r.empty(); ++i) {
        Sample s{r.real(), r.real(), r.real(), r.real(), r.real(), 0, {}};
        s.code = cam.evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &s.ray);
        CheckRay(t, s.code, s.ray, s.fx, s.fy, s.lx, s.ly, s.frac);
        samples.push_back(s);
    }
    auto again = [&](std::size_t i) {
        const Sample &s = samples[i];
        LWCameraRay ray{};
        const int code = cam.evaluate(s.fx, s.fy, s.lx, s.ly, s.frac, &ray);
        if (code != s.code) Fail("%s: sample %zu gave %d, then %d", t.server.c_str(), i, s.code, code);
        if (code == LWCAMTYPEEVAL_RAY && std::memcmp(&ray, &s.ray, 9 * sizeof(double)) != 0)
            Fail("%s: sample %zu film (%g, %g) lens (%g, %g) fraction %g: another thread or order, another ray",
                 t.server.c_str(), i, s.fx, s.fy, s.lx, s.ly, s.frac);
    };
    // Backwards on a second thread while this one goes forward again, so
    // that a thread sanitizer build sees the two at once.
    static OtherThread other;
    other.Start([&] {
        for (std::size_t i = samples.size(); i-- > 0;) again(i);
    });
    for (std::size_t i = 0; i < samples.size(); ++i) again(i);
    other.Wait();
}

void StartFrame(Env &e, standin::CameraInstance &cam, Reader &r) {
    const int frame = static_cast<std::int8_t>(r.byte());
    const double fps = e.host.render().fps;
    cam.initRender(r.byte() & 1 ? LWINIT_RENDER : LWINIT_PREVIEW);
    cam.newTime(frame, frame / fps);
    cam.newFrame(frame);
}

// A scene block of random records as the host writes them: envelope records
// (key count, value, keys at finite times with any values), 32-bit words
// signed and unsigned, doubles, and stray text.
std::string BlockFrom(Reader &r, int mode) {
    standin::MemorySaveState gen(mode);
    const LWSaveState *ss = gen.state();
    while (!r.empty()) {
        switch (r.byte() % 6) {
        case 0:
        case 1: {
            const int keys = r.byte() % 4;
            ss->writeI4(ss->writeData, &keys, 1);
            const double v = r.real();
            ss->writeDP(ss->writeData, &v, 1);
            for (int k = 0; k < keys; ++k) {
                const double kv[2] = {r.byte() / 24.0 - 2.0, r.real()};
                ss->writeDP(ss->writeData, kv, 2);
            }
            break;
        }
        case 2: {
            const unsigned int u = r.byte() & 1 ? r.u32() : r.byte();
            ss->writeU4(ss->writeData, &u, 1);
            break;
        }
        case 3: {
            const int i = r.integer();
            ss->writeI4(ss->writeData, &i, 1);
            break;
        }
        case 4: {
            const double d = r.real();
            ss->writeDP(ss->writeData, &d, 1);
            break;
        }
        default: {
            char text[8] = {};
            for (int k = 0; k < 7; ++k) text[k] = static_cast<char>(r.byte() | 1);
            ss->writeStr(ss->writeData, text);
            break;
        }
        }
    }
    return gen.bytes();
}

}  // namespace

void SceneBlock(const std::uint8_t *data, std::size_t size) {
    Env &e = env();
    Reader r(data, size);
    const CameraType &t = e.pick(r);
    const int mode = r.byte() & 1 ? LWIO_BINARY : LWIO_ASCII;
    const std::string block = BlockFrom(r, mode);

    std::string first;
    {
        auto cam = e.make(t);
        standin::MemoryLoadState in(block, mode);
        cam->load(in);  // a refused block is fine; what the camera keeps must save cleanly
        standin::MemorySaveState out(mode);
        std::string err = cam->save(out);
        if (!err.empty()) Fail("%s: save after load failed: %s", t.server.c_str(), err.c_str());
        first = out.bytes();
    }
    // Composite types allow one instance at a time: the first is gone now.
    auto fresh = e.make(t);
    standin::MemoryLoadState again(first, mode);
    std::string err = fresh->load(again);
    if (!err.empty()) Fail("%s: its own saved block does not load: %s", t.server.c_str(), err.c_str());
    standin::MemorySaveState second(mode);
    fresh->save(second);
    if (second.bytes() != first) {
        auto dump = [](const char *what, const std::string &b) {
            std::fprintf(stderr, "%s:", what);
            for (unsigned char c : b) std::fprintf(stderr, " %02x", c);
            std::fprintf(stderr, "\n");
        };
        dump("first save", first);
        dump("second save", second.bytes());
        Fail("%s: %s block changed over save, load, save (%zu vs %zu bytes)", t.server.c_str(),
             mode == LWIO_BINARY ? "binary" : "text", first.size(), second.bytes().size());
    }
}

void Evaluate(const std::uint8_t *data, std::size_t size) {
    Env &e = env();
    Reader r(data, size);
    const CameraType &t = e.pick(r);
    standin::Scene &s = e.host.scene();
    const std::uint8_t sceneBits = r.byte();
    if (sceneBits & 1) {
        s.setCamera(e.camera, standin::CamProp::FilmWidth, r.real());
        s.setCamera(e.camera, standin::CamProp::FilmHeight, r.real());
    }
    if (sceneBits & 2) s.setCamera(e.camera, standin::CamProp::ZoomFactor, r.real());
    if (sceneBits & 4) {
        s.setCamera(e.camera, standin::CamProp::FocalDistance, r.real());
        s.setCamera(e.camera, standin::CamProp::FStop, r.real());
    }
    e.host.render().motionSteps = (sceneBits >> 3) & 7;
    // The host's own exposure is a plain fraction of the frame.
    e.host.render().shutter = (sceneBits & 0x40) ? r.byte() / 128.0 : 0.5;
    {
        auto cam = e.make(t);
        RandomSettings(e, *cam, r);
        StartFrame(e, *cam, r);
        EvaluateTwice(t, *cam, r, 64);
        cam->cleanUp();
    }
    s.setCamera(e.camera, standin::CamProp::FilmWidth, 0.036);
    s.setCamera(e.camera, standin::CamProp::FilmHeight, 0.024);
    s.setCamera(e.camera, standin::CamProp::ZoomFactor, 3.2);
    s.setCamera(e.camera, standin::CamProp::FocalDistance, 10.0);
    s.setCamera(e.camera, standin::CamProp::FStop, 4.0);
    e.host.render().motionSteps = 3;
    e.host.render().shutter = 0.5;
}

void Panels(const std::uint8_t *data, std::size_t size) {
    Env &e = env();
    Reader r(data, size);
    const CameraType &t = e.pick(r);
    auto cam = e.make(t);
    LWInterface iface{};
    if (cam->activateInterface(iface) != AFUNC_OK || !iface.panel) return;
    standin::PanelService &panels = e.host.panels();
    const standin::PanelRecord *rec = panels.record(iface.panel);
    if (!rec) return;
    const std::vector<standin::PanelControl> controls = rec->controls;
    auto id = [&]() -> unsigned int {
        const std::uint8_t k = r.byte();
        if (k < 200 && !controls.empty()) return controls[k % controls.size()].cid;
        return k < 230 ? 0x8000u + (k - 200) : r.u32();
    };
    bool recreated = false, drawn = false;
    for (int op = 0; op < 200 && !r.empty(); ++op) {
        switch (r.byte() % 7) {
        case 0: {  // read, and touch what came back as its data type says
            const unsigned int vid = id();
            void *v = panels.get(iface.panel, vid);
            if (!v) break;
            const std::string type = panels.datatype(iface.panel, vid);
            const standin::PanelControl *c = panels.control(iface.panel, vid);
            volatile double sink = 0;
            if (c && IsEnvelopeControl(c->ctrlclass)) {
                if (!e.host.envelopes().live(static_cast<LWVParmID>(v)))
                    Fail("%s: control %#x gave a dead envelope", t.server.c_str(), vid);
            } else if (type == "string") {
                sink = std::strlen(static_cast<const char *>(v));
            } else if (type == "integer" || type == "choice") {
                sink = *static_cast<const int *>(v);
            } else if (type == "float" || type == "distance" || type == "angle" || type == "percent") {
                sink = *static_cast<const double *>(v);
            }
            (void)sink;
            break;
        }
        case 1: {
            const unsigned int vid = id();
            PanelValue v{};
            if (r.byte() & 1) v.i[0] = r.integer();
            else v.d[0] = r.real();
            panels.set(iface.panel, vid, (r.byte() & 15) ? &v : nullptr);
            break;
        }
        case 2: {
            const unsigned int cid = id();
            const int n = panels.popupCount(iface.panel, cid);
            if (n < -1 || n > 100000) Fail("%s: popup %#x has %d entries", t.server.c_str(), cid, n);
            volatile std::size_t len = panels.popupName(iface.panel, cid, r.integer()).size();
            (void)len;
            break;
        }
        case 3: {
            // A thumbnail draws the same picture whatever the input, and was
            // most of the time an input took: once per input.
            const unsigned int cid = id();
            const int w = 1 + r.byte() % 96, h = 1 + r.byte() % 96;
            if (drawn) break;
            standin::Raster raster;
            drawn = panels.draw(iface.panel, cid, w, h, raster);
            break;
        }
        case 4:
            if (e.host.scene().items(LWI_CAMERA).size() < 8) e.host.scene().addCamera("Added");
            else e.resetScene();
            break;
        case 5: {
            if (recreated) break;  // once per input: it is slow
            recreated = true;
            // The instance goes while its panel is still up: the popup lists
            // of the old panel must not reach the destroyed instance. (Get
            // and set hand the panel's instance pointer itself to the
            // camera, which a host never does after destroying it.)
            cam.reset();
            for (const standin::PanelControl &c : controls) {
                const int n = panels.popupCount(iface.panel, c.cid);
                for (int i = -1; i <= n && i < 64; ++i) panels.popupName(iface.panel, c.cid, i);
            }
            cam = e.make(t);
            iface = LWInterface{};
            if (cam->activateInterface(iface) != AFUNC_OK || !iface.panel) return;
            break;
        }
        default: {
            standin::MemorySaveState out(r.byte() & 1 ? LWIO_BINARY : LWIO_ASCII);
            cam->save(out);
            standin::MemoryLoadState in(out);
            const std::string err = cam->load(in);
            if (!err.empty()) Fail("%s: reload after panel edits: %s", t.server.c_str(), err.c_str());
            break;
        }
        }
    }
    cam.reset();
    e.resetScene();
}

void Composite(const std::uint8_t *data, std::size_t size) {
    Env &e = env();
    if (e.composites.empty()) return;
    Reader r(data, size);
    const CameraType &t = e.types[e.composites[r.byte() % e.composites.size()]];
    standin::Scene &s = e.host.scene();
    {
        auto cam = e.make(t);
        LWInterface iface{};
        if (cam->activateInterface(iface) != AFUNC_OK || !iface.panel) Fail("%s: no panel", t.server.c_str());
        standin::PanelService &panels = e.host.panels();
        std::vector<unsigned int> choiceIds;
        if (const standin::PanelRecord *rec = panels.record(iface.panel))
            for (const standin::PanelControl &c : rec->controls) {
                std::vector<std::string> ch = panels.popupChoices(iface.panel, c.cid);
                if (!ch.empty() && ch[0] == "(none)") choiceIds.push_back(c.cid);
            }
        int added = 0;
        for (int op = 0; op < 100 && !r.empty(); ++op) {
            std::vector<LWItemID> cams = s.items(LWI_CAMERA);
            switch (r.byte() % 9) {
            case 0:
                if (cams.size() < 8) {
                    char name[16];
                    std::snprintf(name, sizeof name, "Cam%d", ++added);
                    LWItemID item = s.addCamera(name);
                    s.setPosition(item, r.real(), 0.0, -1.0);
                }
                break;
            case 1: {  // removes any camera but the one under test
                LWItemID item = cams[r.byte() % cams.size()];
                if (item != e.camera) e.host.removeItem(item);
                break;
            }
            case 2:
                s.moveItem(cams[r.byte() % cams.size()], r.byte() % (cams.size() + 1));
                break;
            case 3:
                if (!choiceIds.empty()) {
                    PanelValue v{};
                    v.i[0] = (r.byte() & 3) ? static_cast<int>(r.byte() % (cams.size() + 2)) - 1 : r.integer();
                    panels.set(iface.panel, choiceIds[r.byte() % choiceIds.size()], &v);
                }
                break;
            case 4:
                cam->initRender(r.byte() & 1 ? LWINIT_RENDER : LWINIT_PREVIEW);
                break;
            case 5: {
                const int frame = r.byte() % 48;
                cam->newTime(frame, frame / e.host.render().fps);
                if (r.byte() & 1) cam->newFrame(frame);
                break;
            }
            case 6:
                EvaluateSome(t, *cam, r, 8);
                break;
            case 7: {
                double m[4][4] = {};
                cam->preview(r.real(), r.real(), m);
                break;
            }
            default:
                cam->cleanUp();
                break;
            }
        }
        cam->cleanUp();
    }
    e.resetScene();
}

}  // namespace lentara_fuzz
