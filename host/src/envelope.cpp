#include "standin/envelope.h"

#include <cmath>
#include <cstdint>

#include "standin/host.h"
#include "fasttls.h"
#include "handles.h"

#include <mutex>

namespace standin {

namespace {
// Changes whenever a vparm ID may stop naming a live envelope of the store it
// was found in (one destroyed, a store made or gone); see fGetVal.
std::atomic<unsigned long long> gEnvGeneration{1};
}  // namespace

// What getVal reads: the value and keys of one envelope as they stood after
// its last change. Every change publishes a new one, so evaluate paths read
// it without a lock; a replaced one is kept until the envelope is destroyed,
// since a thread may still be reading it.
struct EnvelopeStore::Curve {
    int components = 1;
    double value[3] = {0, 0, 0};
    std::vector<Key> keys;
    double at(double t, int c) const { return keys.empty() ? value[c] : Channel::at(keys, 0.0, t); }
};

struct EnvelopeStore::Env {
    EnvelopeInfo info;
    std::atomic<const Curve *> curve{nullptr};
    std::vector<std::unique_ptr<const Curve>> retired;  // replaced curves
    ~Env() { delete curve.load(); }
    int components() const { return (info.envType & LWVPF_VECTOR) ? 3 : 1; }
    double at(double t, int c) const {
        if (info.keys.empty()) return info.value[c];
        return Channel::at(info.keys, 0.0, t);  // no copy of the keys: getVal runs per ray
    }
};

// Caller holds the lock exclusively, after changing e's value or keys.
void EnvelopeStore::publish(Env &e) {
    auto c = std::make_unique<Curve>();
    c->components = e.components();
    for (int i = 0; i < 3; ++i) c->value[i] = e.info.value[i];
    c->keys = e.info.keys;
    if (const Curve *old = e.curve.exchange(c.release(), std::memory_order_acq_rel)) e.retired.emplace_back(old);
}

EnvelopeStore::EnvelopeStore() {
    funcs_.create = fCreate;
    funcs_.destroy = fDestroy;
    funcs_.setup = fSetup;
    funcs_.copy = fCopy;
    funcs_.load = fLoad;
    funcs_.save = fSave;
    funcs_.getVal = fGetVal;
    funcs_.setVal = fSetVal;
    funcs_.getState = fGetState;
    funcs_.setState = fSetState;
    funcs_.editEnv = fEditEnv;
    funcs_.editTex = fEditTex;
    funcs_.initMP = fInitMP;
    funcs_.getEnv = fGetEnv;
    funcs_.getTex = fGetTex;
    gEnvGeneration.fetch_add(1);
}

EnvelopeStore::~EnvelopeStore() { gEnvGeneration.fetch_add(1); }

EnvelopeStore::Env *EnvelopeStore::get(LWVParmID vp) const {
    auto it = envs_.find(HandleOf(vp));
    return it == envs_.end() ? nullptr : it->second.get();
}

LWVParmID EnvelopeStore::create(int envType, int texType) {
    if (createFails_) return nullptr;
    auto env = std::make_unique<Env>();
    env->info.envType = envType;
    env->info.texType = texType;
    publish(*env);
    const std::uintptr_t handle = NewHandle();
    std::unique_lock<std::shared_mutex> lock(mutex_);
    envs_[handle] = std::move(env);
    ++created_;
    return HandleId<LWVParmID>(handle);
}

void EnvelopeStore::destroy(LWVParmID vp) {
    std::unique_ptr<Env> gone;
    {
        std::unique_lock<std::shared_mutex> lock(mutex_);
        auto it = envs_.find(HandleOf(vp));
        if (it == envs_.end()) return;
        gone = std::move(it->second);
        envs_.erase(it);
        ++destroyed_;
        gEnvGeneration.fetch_add(1);
    }
}

bool EnvelopeStore::live(LWVParmID vp) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return get(vp) != nullptr;
}

LWVParmID EnvelopeStore::find(LWChanGroupID group, const std::string &channelName) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    for (const auto &[handle, e] : envs_)
        if (e->info.group == group && e->info.channelName == channelName) return HandleId<LWVParmID>(handle);
    return nullptr;
}

std::vector<LWVParmID> EnvelopeStore::all() const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    std::vector<LWVParmID> out;
    for (const auto &entry : envs_) out.push_back(HandleId<LWVParmID>(entry.first));
    return out;
}

bool EnvelopeStore::info(LWVParmID vp, EnvelopeInfo &out) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    Env *e = get(vp);
    if (!e) return false;
    out = e->info;
    return true;
}

bool EnvelopeStore::setKeys(LWVParmID vp, std::vector<Key> keys) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    Env *e = get(vp);
    if (!e) return false;
    Channel ch;
    ch.setKeys(std::move(keys));
    e->info.keys = std::move(ch.keys);
    publish(*e);
    return true;
}

bool EnvelopeStore::setValue(LWVParmID vp, double value) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    Env *e = get(vp);
    if (!e) return false;
    e->info.value[0] = e->info.value[1] = e->info.value[2] = value;
    publish(*e);
    return true;
}

double EnvelopeStore::value(LWVParmID vp, double t) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    Env *e = get(vp);
    return e ? e->at(t, 0) : 0.0;
}

// Block layout, written only through the state's own functions so that it
// nests inside the plug-in's data:
//   I4   key count
//   DP   value (1 or 3 components)
//   DP   time value      one record per key
LWError EnvelopeStore::save(LWVParmID vp, const LWSaveState *ss) const {
    if (!ss) return "no save state";
    std::shared_lock<std::shared_mutex> lock(mutex_);
    Env *e = get(vp);
    if (!e) return "unknown variant parameter";
    if (!e->info.setupCalled) usedBeforeSetup_.fetch_add(1);
    int count = static_cast<int>(e->info.keys.size());
    ss->writeI4(ss->writeData, &count, 1);
    ss->writeDP(ss->writeData, e->info.value, e->components());
    for (const Key &k : e->info.keys) {
        double kv[2] = {k.time, k.value};
        ss->writeDP(ss->writeData, kv, 2);
    }
    return nullptr;
}

LWError EnvelopeStore::load(LWVParmID vp, const LWLoadState *ls) {
    if (!ls) return "no load state";
    int comps;
    {
        std::shared_lock<std::shared_mutex> lock(mutex_);
        Env *e = get(vp);
        if (!e) return "unknown variant parameter";
        if (!e->info.setupCalled) usedBeforeSetup_.fetch_add(1);
        comps = e->components();
    }
    int count = 0;
    if (ls->readI4(ls->readData, &count, 1) != 1 || count < 0 || count > 100000) return "bad envelope key count";
    double value[3] = {0, 0, 0};
    if (ls->readDP(ls->readData, value, comps) != comps) return "bad envelope value";
    std::vector<Key> keys;
    for (int i = 0; i < count; ++i) {
        double kv[2];
        if (ls->readDP(ls->readData, kv, 2) != 2) return "truncated envelope keys";
        if (!std::isfinite(kv[0])) return "envelope key at a non-finite time";
        keys.push_back({kv[0], kv[1]});
    }
    std::unique_lock<std::shared_mutex> lock(mutex_);
    Env *e = get(vp);
    if (!e) return "unknown variant parameter";
    for (int c = 0; c < 3; ++c) e->info.value[c] = comps == 3 ? value[c] : value[0];
    Channel ch;
    ch.setKeys(std::move(keys));
    e->info.keys = std::move(ch.keys);
    publish(*e);
    return nullptr;
}

// ---- service functions: reach the store of the current host

static EnvelopeStore *store() {
    Host *h = Host::current();
    return h ? &h->envelopes() : nullptr;
}

LWVParmID EnvelopeStore::fCreate(int envType, int texType) {
    EnvelopeStore *s = store();
    return s ? s->create(envType, texType) : nullptr;
}

void EnvelopeStore::fDestroy(LWVParmID vp) {
    if (EnvelopeStore *s = store()) s->destroy(vp);
}

void EnvelopeStore::fSetup(LWVParmID vp, const char *channel, LWChanGroupID group, LWTxtrContextID, LWVP_EventFunc *,
                           const char *plugin, void *) {
    EnvelopeStore *s = store();
    if (!s) return;
    std::unique_lock<std::shared_mutex> lock(s->mutex_);
    if (Env *e = s->get(vp)) {
        e->info.channelName = channel ? channel : "";
        e->info.group = group;
        e->info.pluginName = plugin ? plugin : "";
        e->info.setupCalled = true;
    }
}

LWError EnvelopeStore::fCopy(LWVParmID to, LWVParmID from) {
    EnvelopeStore *s = store();
    if (!s) return "no host";
    std::unique_lock<std::shared_mutex> lock(s->mutex_);
    Env *t = s->get(to);
    Env *f = s->get(from);
    if (!t || !f) return "unknown variant parameter";
    if (t == f) return nullptr;
    for (int c = 0; c < 3; ++c) t->info.value[c] = f->info.value[c];
    t->info.keys = f->info.keys;
    s->publish(*t);
    return nullptr;
}

LWError EnvelopeStore::fLoad(LWVParmID vp, const LWLoadState *ls) {
    EnvelopeStore *s = store();
    return s ? s->load(vp, ls) : "no host";
}

LWError EnvelopeStore::fSave(LWVParmID vp, const LWSaveState *ss) {
    EnvelopeStore *s = store();
    return s ? s->save(vp, ss) : "no host";
}

double EnvelopeStore::fGetVal(LWVParmID vp, LWTime t, LWMicropolID, double *result) {
    EnvelopeStore *s = store();
    if (!result) return 0.0;
    result[0] = result[1] = result[2] = 0.0;
    if (!s) return 0.0;
    if (!(t - t == 0.0)) s->nonFiniteTimes_.fetch_add(1, std::memory_order_relaxed);
    // getVal runs per ray (e.g. an envelope read at each ray's time): the
    // search of the store is remembered per thread, and the envelope's
    // published curve is read without the lock. An entry counts only under
    // the generation it was made in, and an ID that was never found is never
    // remembered.
    struct Entry {
        const EnvelopeStore *store;
        LWVParmID vp;
        Env *env;
        unsigned long long generation;
    };
    static thread_local Entry cache[8] STANDIN_FAST_TLS;
    const unsigned long long gen = gEnvGeneration.load(std::memory_order_acquire);
    Entry &slot = cache[(reinterpret_cast<std::uintptr_t>(vp) * 0x9E3779B97F4A7C15ull) >> 61];
    Env *e;
    if (slot.store == s && slot.vp == vp && slot.generation == gen && vp) {
        e = slot.env;
    } else {
        std::shared_lock<std::shared_mutex> lock(s->mutex_);
        e = s->get(vp);
        if (!e) return 0.0;
        slot = Entry{s, vp, e, gen};
    }
    const Curve *c = e->curve.load(std::memory_order_acquire);
    for (int i = 0; i < c->components; ++i) result[i] = c->at(t, i);
    return 0.0;  // untextured: no opacity
}

int EnvelopeStore::fSetVal(LWVParmID vp, double *value) {
    EnvelopeStore *s = store();
    if (!s || !value) return 0;
    std::unique_lock<std::shared_mutex> lock(s->mutex_);
    Env *e = s->get(vp);
    if (e && !e->info.setupCalled) s->usedBeforeSetup_.fetch_add(1);
    if (!e || !e->info.keys.empty()) return 0;
    int n = e->components();
    for (int c = 0; c < n; ++c) e->info.value[c] = value[c];
    if (n == 1) e->info.value[1] = e->info.value[2] = value[0];
    s->publish(*e);
    return n;
}

int EnvelopeStore::fGetState(LWVParmID vp) {
    EnvelopeStore *s = store();
    if (!s) return 0;
    std::shared_lock<std::shared_mutex> lock(s->mutex_);
    Env *e = s->get(vp);
    return (e && !e->info.keys.empty()) ? LWVPSF_ENV : 0;
}

// Turning the envelope bit on gives a single key holding the current value;
// turning it off drops the keys and keeps the value at time 0.
void EnvelopeStore::fSetState(LWVParmID vp, int state) {
    EnvelopeStore *s = store();
    if (!s) return;
    std::unique_lock<std::shared_mutex> lock(s->mutex_);
    Env *e = s->get(vp);
    if (!e) return;
    if ((state & LWVPSF_ENV) && e->info.keys.empty()) {
        e->info.keys.push_back({0.0, e->info.value[0]});
    } else if (!(state & LWVPSF_ENV) && !e->info.keys.empty()) {
        double v = e->at(0.0, 0);
        e->info.value[0] = e->info.value[1] = e->info.value[2] = v;
        e->info.keys.clear();
    }
    s->publish(*e);
}

void EnvelopeStore::fEditEnv(LWVParmID) {}
void EnvelopeStore::fEditTex(LWVParmID) {}
void EnvelopeStore::fInitMP(LWMicropolID) {}

void EnvelopeStore::fGetEnv(LWVParmID vp, LWEnvelopeID *list) {
    if (!list) return;
    list[0] = list[1] = list[2] = nullptr;
    EnvelopeStore *s = store();
    if (!s) return;
    std::shared_lock<std::shared_mutex> lock(s->mutex_);
    Env *e = s->get(vp);
    if (!e || e->info.keys.empty()) return;
    for (int c = 0; c < e->components(); ++c) list[c] = &e->info.keys;
}

LWTextureID EnvelopeStore::fGetTex(LWVParmID) { return nullptr; }

}  // namespace standin
