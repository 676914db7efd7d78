#include "standin/host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace standin;

namespace {

struct Envelopes : ::testing::Test {
    Host host;
    LWVParmFuncs *vp = static_cast<LWVParmFuncs *>(host.lookup(LWVPARMFUNCS_GLOBAL, GFUSE_TRANSIENT));
    double at(LWVParmID id, double t) {
        double r[3] = {-1, -1, -1};
        EXPECT_EQ(vp->getVal(id, t, nullptr, r), 0.0);
        return r[0];
    }
};

}  // namespace

TEST_F(Envelopes, KeysInterpolateLinearlyAndHoldOutside) {
    LWVParmID e = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
    ASSERT_TRUE(host.envelopes().setKeys(e, {{2.0, 5.0}, {0.0, 1.0}, {1.0, 3.0}}));  // unsorted on purpose
    EXPECT_DOUBLE_EQ(at(e, -4.0), 1.0);
    EXPECT_DOUBLE_EQ(at(e, 0.5), 2.0);
    EXPECT_DOUBLE_EQ(at(e, 1.5), 4.0);
    EXPECT_DOUBLE_EQ(at(e, 9.0), 5.0);
    double r[3] = {-1, -1, -1};
    vp->getVal(e, 0.5, nullptr, r);
    EXPECT_EQ(r[1], 0.0) << "scalar vparm must still fill all three slots";
    EXPECT_EQ(vp->getState(e), LWVPSF_ENV);
    vp->destroy(e);
}

TEST_F(Envelopes, SetValOnlyWithoutKeys) {
    LWVParmID e = vp->create(LWVP_DIST, LWVPDT_NOTXTR);
    double v[3] = {2.5, 9, 9};
    EXPECT_EQ(vp->setVal(e, v), 1);
    EXPECT_DOUBLE_EQ(at(e, 0.0), 2.5);
    EXPECT_EQ(vp->getState(e), 0);
    host.envelopes().setKeys(e, {{0.0, 7.0}});
    v[0] = 1.0;
    EXPECT_EQ(vp->setVal(e, v), 0);
    EXPECT_DOUBLE_EQ(at(e, 0.0), 7.0);
    vp->setState(e, 0);  // envelope off keeps the value it had
    EXPECT_EQ(vp->getState(e), 0);
    EXPECT_DOUBLE_EQ(at(e, 3.0), 7.0);
    LWEnvelopeID envs[3] = {&envs, &envs, &envs};
    vp->getEnv(e, envs);
    EXPECT_EQ(envs[0], nullptr);
    vp->destroy(e);
}

TEST_F(Envelopes, CopyTakesKeysAndValue) {
    LWVParmID a = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR), b = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
    host.envelopes().setKeys(a, {{0.0, 0.0}, {1.0, 10.0}});
    EXPECT_EQ(vp->copy(b, a), nullptr);
    EXPECT_DOUBLE_EQ(at(b, 0.25), 2.5);
    host.envelopes().setKeys(a, {});  // the copy is independent
    EXPECT_DOUBLE_EQ(at(b, 0.25), 2.5);
    vp->destroy(a);
    EXPECT_NE(vp->copy(b, a), nullptr) << "copy from a destroyed vparm must fail";
    vp->destroy(b);
}

TEST_F(Envelopes, SaveAndLoadInterleaveWithOtherValues) {
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        LWVParmID a = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR), b = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
        host.envelopes().setKeys(a, {{0.0, 1.0}, {2.0, 0.1}});
        MemorySaveState save(mode);
        int before = 11, after = 22;
        save.state()->writeI4(save.state()->writeData, &before, 1);
        EXPECT_EQ(vp->save(a, save.state()), nullptr);
        save.state()->writeI4(save.state()->writeData, &after, 1);
        if (mode == LWIO_ASCII) {
            std::vector<std::string> lines = {"11", "2", "0", "0 1", "2 0.10000000000000001", "22"};
            EXPECT_EQ(save.lines(), lines);
        }
        MemoryLoadState load(save);
        int x = 0;
        load.state()->readI4(load.state()->readData, &x, 1);
        EXPECT_EQ(x, 11);
        EXPECT_EQ(vp->load(b, load.state()), nullptr);
        load.state()->readI4(load.state()->readData, &x, 1);
        EXPECT_EQ(x, 22);
        EXPECT_DOUBLE_EQ(at(b, 1.0), 0.55);
        EXPECT_EQ(vp->getState(b), LWVPSF_ENV);

        // A block cut inside the keys is reported, not half applied.
        // Cut right after the first of the two keys.
        std::string cut = mode == LWIO_ASCII ? save.bytes().substr(0, save.bytes().find("0 1\n") + 4)
                                             : save.bytes().substr(0, save.bytes().size() - 20);
        MemoryLoadState broken(cut, mode);
        broken.state()->readI4(broken.state()->readData, &x, 1);
        LWVParmID c = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
        EXPECT_NE(vp->load(c, broken.state()), nullptr);
        EXPECT_EQ(vp->getState(c), 0);
        for (LWVParmID id : {a, b, c}) vp->destroy(id);
    }
}

TEST_F(Envelopes, SetupIsRecordedAndCountsBalance) {
    int chanGroupTag;
    LWVParmID e = vp->create(LWVP_PERCENT, LWVPDT_NOTXTR);
    vp->setup(e, "Stereo.Separation", &chanGroupTag, nullptr, nullptr, "MyCam", nullptr);
    EXPECT_EQ(host.envelopes().find(&chanGroupTag, "Stereo.Separation"), e);
    EnvelopeInfo info;
    ASSERT_TRUE(host.envelopes().info(e, info));
    EXPECT_EQ(info.pluginName, "MyCam");
    EXPECT_EQ(info.envType, LWVP_PERCENT);
    EXPECT_EQ(host.envelopes().liveEnvelopes(), 1);
    vp->destroy(e);
    vp->destroy(e);  // a second destroy is ignored, not double counted
    EXPECT_EQ(host.envelopes().liveEnvelopes(), 0);
    EXPECT_EQ(host.envelopes().find(&chanGroupTag, "Stereo.Separation"), nullptr);

    host.setEnvelopeCreateFails(true);
    EXPECT_EQ(vp->create(LWVP_FLOAT, LWVPDT_NOTXTR), nullptr);
    EXPECT_EQ(host.envelopes().created(), 1);
}

// getVal remembers per thread where it found an envelope; a destroyed one
// must still read as nothing on a thread that read it before, edits must show
// at once, and reads of several envelopes in turn keep to their own values.
TEST_F(Envelopes, RepeatedReadsFollowEditsAndDestruction) {
    LWVParmID a = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR), b = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
    double v[3] = {1.5, 0, 0};
    vp->setVal(a, v);
    v[0] = -2.0;
    vp->setVal(b, v);
    for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(at(a, 0.0), 1.5);
        EXPECT_DOUBLE_EQ(at(b, 0.0), -2.0);
    }
    host.envelopes().setKeys(a, {{0.0, 0.0}, {1.0, 10.0}});
    EXPECT_DOUBLE_EQ(at(a, 0.25), 2.5) << "new keys show on the next read";
    vp->destroy(a);
    EXPECT_EQ(at(a, 0.25), 0.0) << "a destroyed envelope reads as zero";
    EXPECT_DOUBLE_EQ(at(b, 0.0), -2.0);
    EXPECT_EQ(at(reinterpret_cast<LWVParmID>(&host), 0.0), 0.0) << "an unknown ID reads as zero";
    vp->destroy(b);
}

// getVal reads without the store's lock while another thread edits the
// envelope: every read must see one whole state (both keys of one edit), never
// a mix of two, and never freed keys (ASan/TSan runs check the latter).
TEST_F(Envelopes, ReadsDuringEditsSeeWholeStates) {
    LWVParmID e = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
    host.envelopes().setKeys(e, {{0.0, 1.0}, {1.0, 1.0}});
    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0}, reads{0};
    std::thread reader([&] {
        while (!stop.load()) {
            double r[3] = {0, 0, 0};
            vp->getVal(e, 0.5, nullptr, r);
            if (r[0] != 1.0 && r[0] != 2.0 && r[0] != 3.0) mixed.fetch_add(1);
            reads.fetch_add(1);
        }
    });
    for (int k = 0; k < 2000 || reads.load() < 1000; ++k) {
        const double v = 1.0 + k % 2;
        host.envelopes().setKeys(e, {{0.0, v}, {1.0, v}});
        if (k % 50 == 0) {
            vp->setState(e, 0);  // drops the keys, keeps the value at time 0
            double three[3] = {3.0, 3.0, 3.0};
            vp->setVal(e, three);
        }
    }
    stop = true;
    reader.join();
    EXPECT_EQ(mixed.load(), 0);
    EXPECT_GE(reads.load(), 1000);
    vp->destroy(e);
}

// Destroyed envelopes are freed; their IDs must still name nothing, even
// after many new envelopes (an allocator would hand the address out again).
TEST_F(Envelopes, DestroyedIdsNameNothingAfterNewOnes) {
    LWVParmID old = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
    vp->destroy(old);
    LWVParmID live = nullptr;
    for (int i = 0; i < 64; ++i) {
        if (live) vp->destroy(live);
        live = vp->create(LWVP_FLOAT, LWVPDT_NOTXTR);
        ASSERT_NE(live, old);
    }
    ASSERT_TRUE(host.envelopes().setValue(live, 2.0));
    EXPECT_FALSE(host.envelopes().live(old));
    double v[3] = {7, 7, 7};
    EXPECT_EQ(vp->setVal(old, v), 0);
    EXPECT_EQ(at(old, 0.0), 0.0);
    EXPECT_EQ(host.envelopes().all(), std::vector<LWVParmID>{live});
    EXPECT_EQ(host.envelopes().liveEnvelopes(), 1);
    vp->destroy(live);
}
