// The 12Up camera through the built module in the stand-in host: panel
// tables and hints.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/composite_fixture.h"

using namespace testsupport;

namespace {

TEST_F(Composite, TwelveUpPanelTablesAndHints) {
    CameraInstance *cam = Apply(cams[0], kTwelveUp);
    EXPECT_EQ(cam->describe(), "Vantor12UpCam Dec 11 2010 10:02:14");
    LWXPanelID p = Panel(cam);
    const PanelRecord *rec = host.panels().record(p);
    ASSERT_NE(rec, nullptr);
    ASSERT_EQ(rec->controls.size(), 14u);
    EXPECT_EQ(rec->controls[2].label, "1-1 Camera");
    EXPECT_EQ(rec->controls[13].cid, 0x8011u);
    EXPECT_EQ(rec->controls[13].label, "3-4 Camera");
    EXPECT_EQ(host.panels().datatype(p, 0x800b), "integer");
    std::vector<HintShape> want = {{XPTAG_FOCUS, {kMinus1}}, {XPTAG_CTRLCFG, {0x8000, 0, 0x80000001}},
                                   {XPTAG_DRAWCBFUNC, {0x8000}}};
    for (unsigned int id = 0x8006; id <= 0x8011; ++id) want.push_back({XPTAG_POPFUNCS, {id}});
    want.push_back({XPTAG_DIVADD, {0x8002}});
    for (unsigned int id = 0x8006; id <= 0x8011; ++id) want.push_back({XPTAG_ENABLE, {id, 0, 0, 0}});
    ExpectHints(Shapes(*rec), want);
    for (unsigned int id = 0x8006; id <= 0x8011; ++id) EXPECT_EQ(host.panels().popupChoices(p, id).size(), 4u);
    Raster logo;
    EXPECT_TRUE(host.panels().draw(p, 0x8000, 320, 70, logo));
}

} // namespace
