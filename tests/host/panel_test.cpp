#include "standin/host.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace standin;

namespace {

enum { CH_MODE = 0x8001, CH_SCALE, CH_THUMB, CH_NOTE, CH_GAIN };

struct PanelTest : ::testing::Test {
    Host host;
    Module module{HOST_FAKE_MODULE};
    LWItemID camera = host.scene().addCamera("Camera");
    std::unique_ptr<CameraInstance> cam;
    LWInterface ui{};
    LWXPanelID panel = nullptr;

    void SetUp() override {
        ASSERT_TRUE(module.ok()) << module.error();
        cam = std::make_unique<CameraInstance>(host, module, "FakeCam", camera);
        ASSERT_TRUE(cam->ok()) << cam->error();
        std::vector<int> offered;
        ASSERT_EQ(cam->activateInterface(ui, nullptr, &offered), AFUNC_OK);
        EXPECT_EQ(offered, (std::vector<int>{1, 2, 3, 4}));
        panel = ui.panel;
        ASSERT_NE(panel, nullptr);
    }
};

}  // namespace

TEST_F(PanelTest, RecordsControlsDataAndInstance) {
    EXPECT_EQ(ui.inst, cam->instance());
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_NE(rec, nullptr);
    ASSERT_EQ(rec->controls.size(), 5u);
    EXPECT_EQ(rec->controls[2].ctrlclass, "dThumbnail");
    EXPECT_EQ(rec->controls[1].label, "Scale");
    EXPECT_EQ(rec->data.size(), 4u);
    EXPECT_EQ(host.panels().datatype(panel, CH_SCALE), "float-env");
    EXPECT_EQ(rec->instance, cam->instance());
    EXPECT_EQ(rec->userData, cam->instance());
    EXPECT_EQ(rec->type, LWXP_VIEW);
}

TEST_F(PanelTest, HintWordsFollowTheTagEncoding) {
    const PanelRecord *rec = host.panels().record(panel);
    ASSERT_EQ(rec->hints.size(), 1u);
    const HintCall &call = rec->hints[0];
    EXPECT_EQ(call.id, 0u);
    // popfuncs 4 + drawcb 3 + ctrlcfg 4 + divadd 4 + min 3 + enable 7 + end 1
    ASSERT_EQ(call.words.size(), 26u);
    EXPECT_EQ(call.words.back(), 0u);
    ASSERT_EQ(call.entries.size(), 6u);
    const HintEntry &div = call.entries[3];
    EXPECT_EQ(div.tag, XPTAG_DIVADD);
    EXPECT_EQ(div.ids, (std::vector<std::uintptr_t>{CH_GAIN}));
    const HintEntry &min = call.entries[4];
    EXPECT_EQ(static_cast<int>(static_cast<std::intptr_t>(min.args[1])), -5);
    const HintEntry &en = call.entries[5];
    EXPECT_EQ(en.tag, XPTAG_ENABLE);
    ASSERT_EQ(en.args.size(), 4u);
    EXPECT_EQ(en.args[2], 0u) << "a zero fixed argument must not end the array";
    EXPECT_EQ(en.ids, (std::vector<std::uintptr_t>{CH_GAIN}));
    ASSERT_NE(host.panels().findHint(panel, XPTAG_CTRLCFG, CH_THUMB), nullptr);
    EXPECT_EQ(host.panels().findHint(panel, XPTAG_CTRLCFG, CH_THUMB)->args[2], THUM_FULL | THUM_SML);
}

TEST(HintWalk, StopsAtTerminatorOrBound) {
    LWXPanelHint hints[] = {reinterpret_cast<LWXPanelHint>(std::uintptr_t{XPTAG_DIVADD}),
                            reinterpret_cast<LWXPanelHint>(std::uintptr_t{0}),  // fixed argument 0 = top
                            reinterpret_cast<LWXPanelHint>(std::uintptr_t{0x8001}),
                            reinterpret_cast<LWXPanelHint>(std::uintptr_t{0x8002}),
                            reinterpret_cast<LWXPanelHint>(std::uintptr_t{0}),
                            reinterpret_cast<LWXPanelHint>(std::uintptr_t{0}),
                            reinterpret_cast<LWXPanelHint>(std::uintptr_t{0xDEAD})};
    auto words = hintWords(hints);
    ASSERT_EQ(words.size(), 6u);
    auto entries = parseHints(words);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].ids.size(), 2u);
    EXPECT_EQ(hintWords(hints, 3).size(), 3u);
    EXPECT_TRUE(hintWords(nullptr).empty());
}

TEST_F(PanelTest, ValuesPopupsAndDump) {
    EXPECT_EQ(host.panels().popupChoices(panel, CH_MODE), (std::vector<std::string>{"Plain", "Fancy", "Odd"}));
    EXPECT_EQ(host.panels().popupCount(panel, CH_GAIN), -1);
    int mode = 2;
    EXPECT_EQ(host.panels().set(panel, CH_MODE, &mode), LWXPRC_DFLT);
    EXPECT_EQ(*static_cast<int *>(host.panels().get(panel, CH_MODE)), 2);
    double gain = 0.25;
    host.panels().set(panel, CH_GAIN, &gain);
    LWVParmID scale = host.panels().get(panel, CH_SCALE);
    ASSERT_TRUE(host.envelopes().live(scale));
    host.envelopes().setKeys(scale, {{0.0, 2.0}, {1.0, 4.0}});
    std::string dump = host.panels().dump(panel, 0.5);
    EXPECT_NE(dump.find("\"Mode\" [iPopChoice] = 2"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"Scale\" [float-env] = 3 (env)"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"Note\" [sInfo] = \"fake\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"Gain\" [float] = 0.25"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"Preview\" [dThumbnail]\n"), std::string::npos) << dump;
}

TEST_F(PanelTest, ThumbnailDrawingIsClipped) {
    Raster r;
    ASSERT_TRUE(host.panels().draw(panel, CH_THUMB, 8, 6, r));
    ASSERT_EQ(r.rgb.size(), 8u * 6u * 3u);
    EXPECT_EQ(r.pixel(7, 0)[0], 200);  // box filled to the edge
    EXPECT_EQ(r.pixel(7, 0)[1], 10);
    EXPECT_EQ(r.pixel(7, 5)[1], 255);  // last pixel in range drawn
    EXPECT_EQ(r.pixel(7, 5)[0], 0);
    EXPECT_EQ(r.texts, (std::vector<std::string>{"Fake"}));
    EXPECT_FALSE(host.panels().draw(panel, CH_GAIN, 8, 6, r)) << "no draw callback for this control";
    Raster empty;
    EXPECT_TRUE(host.panels().draw(panel, CH_THUMB, 0, 0, empty));
}

TEST_F(PanelTest, PostAndDestroyAreCounted) {
    LWXPanelFuncs *xp = host.panels().funcs();
    EXPECT_EQ(xp->post(panel), 1);
    host.panels().setPostResult(0);
    EXPECT_EQ(xp->post(panel), 0);
    EXPECT_EQ(xp->open(panel), 1);
    EXPECT_EQ(host.panels().postCalls(), 2);
    EXPECT_EQ(host.panels().openCalls(), 1);
    EXPECT_EQ(host.panels().livePanels(), 1);
    cam.reset();  // the fake camera destroys its panel with the instance
    EXPECT_EQ(host.panels().livePanels(), 0);
    EXPECT_EQ(host.panels().record(panel), nullptr);
    EXPECT_EQ(xp->post(panel), 0) << "a destroyed panel cannot be shown";
    // Its ID names nothing, whatever is made after it.
    for (int i = 0; i < 32; ++i) {
        LWXPanelID other = xp->create(LWXP_VIEW, nullptr);
        ASSERT_NE(other, panel);
        xp->destroy(other);
    }
    EXPECT_EQ(host.panels().record(panel), nullptr);
    EXPECT_EQ(host.panels().livePanels(), 0);
}
