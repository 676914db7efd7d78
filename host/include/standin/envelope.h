// Variant parameters ("LWVParmFuncs 2"): enveloped values owned by the host.
// A vparm holds a plain value (three components; scalars use the first) and
// optionally keys, which then override the value.
#ifndef STANDIN_ENVELOPE_H
#define STANDIN_ENVELOPE_H

#include "module/lwhost.h"
#include "standin/scene.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

namespace standin {

struct EnvelopeInfo {
    int envType = 0;
    int texType = 0;
    std::string channelName;
    LWChanGroupID group = nullptr;
    std::string pluginName;
    bool setupCalled = false;
    double value[3] = {0, 0, 0};
    std::vector<Key> keys;
};

class EnvelopeStore {
public:
    EnvelopeStore();
    ~EnvelopeStore();

    // The service table handed to plug-ins.
    LWVParmFuncs *funcs() { return &funcs_; }

    // Host-side access for tests.
    LWVParmID create(int envType, int texType);
    void destroy(LWVParmID vp);
    bool live(LWVParmID vp) const;
    LWVParmID find(LWChanGroupID group, const std::string &channelName) const;
    std::vector<LWVParmID> all() const;
    bool info(LWVParmID vp, EnvelopeInfo &out) const;
    bool setKeys(LWVParmID vp, std::vector<Key> keys);
    bool setValue(LWVParmID vp, double value);
    double value(LWVParmID vp, double t) const;  // first component

    int created() const { return created_.load(); }
    int destroyed() const { return destroyed_.load(); }
    int liveEnvelopes() const { return created_.load() - destroyed_.load(); }
    // Calls of save, load or setVal on a vparm whose setup was never called
    // (the host requires setup for every vparm before use).
    int usedBeforeSetup() const { return usedBeforeSetup_.load(); }
    // getVal calls at a time that is not finite.
    long long nonFiniteTimes() const { return nonFiniteTimes_.load(); }

    // Fault injection: create returns null.
    void setCreateFails(bool fails) { createFails_ = fails; }

private:
    struct Env;
    struct Curve;
    Env *get(LWVParmID vp) const;  // caller holds the lock
    static void publish(Env &e);   // caller holds the lock exclusively

    static LWVParmID fCreate(int, int);
    static void fDestroy(LWVParmID);
    static void fSetup(LWVParmID, const char *, LWChanGroupID, LWTxtrContextID, LWVP_EventFunc *, const char *, void *);
    static LWError fCopy(LWVParmID, LWVParmID);
    static LWError fLoad(LWVParmID, const LWLoadState *);
    static LWError fSave(LWVParmID, const LWSaveState *);
    static double fGetVal(LWVParmID, LWTime, LWMicropolID, double *);
    static int fSetVal(LWVParmID, double *);
    static int fGetState(LWVParmID);
    static void fSetState(LWVParmID, int);
    static void fEditEnv(LWVParmID);
    static void fEditTex(LWVParmID);
    static void fInitMP(LWMicropolID);
    static void fGetEnv(LWVParmID, LWEnvelopeID *);
    static LWTextureID fGetTex(LWVParmID);

    LWError load(LWVParmID vp, const LWLoadState *ls);
    LWError save(LWVParmID vp, const LWSaveState *ss) const;

    LWVParmFuncs funcs_{};
    mutable std::shared_mutex mutex_;
    // Live envelopes by handle (handles grow, so this is creation order); a
    // destroyed one is freed, and its handle is never given out again.
    std::map<std::uintptr_t, std::unique_ptr<Env>> envs_;
    std::atomic<int> created_{0}, destroyed_{0};
    mutable std::atomic<int> usedBeforeSetup_{0};
    std::atomic<long long> nonFiniteTimes_{0};
    std::atomic<bool> createFails_{false};
};

}  // namespace standin

#endif
