// Settings are never lost: values a panel would not offer (negative scales,
// choices past the end of a list, camera positions past the scene's cameras)
// come back from a scene block unchanged, in text and binary mode.
#include "tests/robustness/robustness.h"

#include <cmath>
#include <cstring>

namespace {

using robustness::CameraType;

// One write call of a saved block.
struct Token {
    enum Kind { I4, U4, DP, Other } kind;
    std::vector<std::uint32_t> words;  // I4 / U4 values
    std::vector<double> reals;         // DP values
};

// An LWSaveState that records the calls (and writes nothing else).
class Recorder {
public:
    Recorder() {
        state_.ioMode = LWIO_BINARY;
        state_.writeData = this;
        state_.write = [](void *d, const char *, int) { self(d).other(); };
        state_.writeI1 = [](void *d, const char *, int) { self(d).other(); };
        state_.writeI2 = [](void *d, const short *, int) { self(d).other(); };
        state_.writeI4 = [](void *d, const int *v, int n) {
            self(d).tokens.push_back({Token::I4, std::vector<std::uint32_t>(v, v + n), {}});
        };
        state_.writeU1 = [](void *d, const unsigned char *, int) { self(d).other(); };
        state_.writeU2 = [](void *d, const unsigned short *, int) { self(d).other(); };
        state_.writeU4 = [](void *d, const unsigned int *v, int n) {
            self(d).tokens.push_back({Token::U4, std::vector<std::uint32_t>(v, v + n), {}});
        };
        state_.writeFP = [](void *d, const float *, int) { self(d).other(); };
        state_.writeStr = [](void *d, const char *) { self(d).other(); };
        state_.writeID = [](void *d, const LWBlockIdent *) { self(d).other(); };
        state_.beginBlk = [](void *d, const LWBlockIdent *, int) { self(d).other(); };
        state_.endBlk = [](void *d) { self(d).other(); };
        state_.depth = [](void *) { return 0; };
        state_.writeDP = [](void *d, const double *v, int n) {
            self(d).tokens.push_back({Token::DP, {}, std::vector<double>(v, v + n)});
        };
    }
    const LWSaveState *state() const { return &state_; }
    std::vector<Token> tokens;

private:
    static Recorder &self(void *d) { return *static_cast<Recorder *>(d); }
    void other() { tokens.push_back({Token::Other, {}, {}}); }
    LWSaveState state_{};
};

// Writes tokens through a real save state.
void Replay(const std::vector<Token> &tokens, standin::MemorySaveState &out) {
    const LWSaveState *s = out.state();
    for (const Token &t : tokens) {
        if (t.kind == Token::I4) {
            std::vector<int> v(t.words.begin(), t.words.end());
            s->writeI4(s->writeData, v.data(), static_cast<int>(v.size()));
        } else if (t.kind == Token::U4) {
            s->writeU4(s->writeData, t.words.data(), static_cast<int>(t.words.size()));
        } else if (t.kind == Token::DP) {
            s->writeDP(s->writeData, t.reals.data(), static_cast<int>(t.reals.size()));
        }
    }
}

// Words that a camera writes as 0 and skips on load, by position among its
// 32-bit words outside envelope records.
bool IsReservedWord(const std::string &server, int word) { return server == "VantorStereoCam" && word >= 2; }

// The block with every setting word and every envelope value and key value
// replaced by something no panel offers; key counts and times stay (they are
// the host's). An I4 directly followed by doubles is an envelope's key count.
std::vector<Token> Hostile(const std::vector<Token> &tokens, int variant) {
    const std::uint32_t words[] = {7u, 0xFFFFFFFFu, 1000u, 0x80000000u, 42u};
    const double reals[] = {-2.5, 1e6, -1e-3, 123456.75, -7.0};
    std::vector<Token> out = tokens;
    int w = variant, r = variant;
    for (std::size_t i = 0; i < out.size(); ++i) {
        Token &t = out[i];
        const bool keyCount = t.kind == Token::I4 && i + 1 < out.size() && out[i + 1].kind == Token::DP;
        if (t.kind == Token::U4 || (t.kind == Token::I4 && !keyCount)) {
            for (auto &v : t.words) v = words[w++ % 5];
        } else if (t.kind == Token::DP) {
            // A pair after the value line is (time, value) of one key.
            const bool key = t.reals.size() == 2 && i > 0 && out[i - 1].kind == Token::DP;
            for (std::size_t k = 0; k < t.reals.size(); ++k)
                if (!key || k == 1) t.reals[k] = reals[r++ % 5];
        }
    }
    return out;
}

class SettingsSurvive : public robustness::RobustnessTest {};

TEST_P(SettingsSurvive, OutOfRangeValuesSurviveSaveAndLoad) {
    const CameraType &t = GetParam();
    std::vector<Token> defaults;
    {
        auto cam = Make(t);
        ASSERT_TRUE(cam->ok()) << cam->error();
        // Keys on every envelope, so that key values are in the block too.
        LWInterface iface{};
        if (cam->activateInterface(iface) == AFUNC_OK && iface.panel) {
            const standin::PanelRecord *rec = host->panels().record(iface.panel);
            for (const standin::PanelControl &c : rec->controls)
                if (robustness::IsEnvelopeControl(c.ctrlclass))
                    if (auto vp = static_cast<LWVParmID>(host->panels().get(iface.panel, c.cid)))
                        host->envelopes().setKeys(vp, {{0.0, 1.0}, {1.0, 2.0}});
        }
        Recorder rec;
        ASSERT_NE(cam->instance(), nullptr);
        cam->handler().inst->save(cam->instance(), rec.state());
        defaults = rec.tokens;
    }
    ASSERT_FALSE(defaults.empty()) << t.server << " saves nothing";
    for (const Token &tok : defaults) ASSERT_NE(tok.kind, Token::Other) << t.server << " writes an unexpected kind";

    for (int mode : {LWIO_ASCII, LWIO_BINARY})
        for (int variant = 0; variant < 5; ++variant) {
            SCOPED_TRACE(t.server + (mode == LWIO_ASCII ? " text" : " binary") + " variant " +
                         std::to_string(variant));
            const std::vector<Token> hostile = Hostile(defaults, variant);
            standin::MemorySaveState block(mode);
            Replay(hostile, block);

            auto cam = Make(t);
            ASSERT_TRUE(cam->ok());
            standin::MemoryLoadState in(block);
            EXPECT_EQ(cam->load(in), "");
            Recorder back;
            cam->handler().inst->save(cam->instance(), back.state());
            ASSERT_EQ(back.tokens.size(), hostile.size());
            int word = 0;
            for (std::size_t i = 0; i < hostile.size(); ++i) {
                const Token &a = hostile[i], &b = back.tokens[i];
                ASSERT_EQ(a.kind, b.kind) << "token " << i;
                if (a.kind == Token::DP) {
                    EXPECT_EQ(a.reals, b.reals) << "token " << i;
                    continue;
                }
                const bool keyCount = a.kind == Token::I4 && i + 1 < hostile.size() && hostile[i + 1].kind == Token::DP;
                for (std::size_t k = 0; k < a.words.size(); ++k) {
                    if (keyCount) {
                        EXPECT_EQ(a.words[k], b.words[k]) << "key count, token " << i;
                    } else if (IsReservedWord(t.server, word++)) {
                        EXPECT_EQ(b.words[k], 0u) << "reserved word " << word - 1;
                    } else {
                        EXPECT_EQ(a.words[k], b.words[k]) << "setting word " << word - 1 << ", token " << i;
                    }
                }
            }

            // The same through the panel, which shows the stored setting.
            LWInterface iface{};
            if (cam->activateInterface(iface) == AFUNC_OK && iface.panel) host->panels().dump(iface.panel, 0.0);
            // And the camera renders with them without a bad ray.
            robustness::RenderGrid(*cam);
            cam->cleanUp();
        }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, SettingsSurvive, ::testing::ValuesIn(robustness::AllTypes()),
                         robustness::TypeName);

}  // namespace
