// The server rows of the lens and projection camera types: where each sits in
// the table, its user names, flags and description.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/camera_fixture.h"

using namespace testsupport;

TEST_F(Cameras, ServerRowsFlagsAndDescriptions) {
    struct Row {
        const char *name, *user, *describe;
        unsigned int flags;
    } rows[] = {
        {"VantorStereoCam", "Vantor Stereo Camera", "VantorStereoCam Dec 11 2010 10:02:18", 1},
        {"VantorSkyboxCam", "Vantor Skybox Camera", "VantorSkyboxCam Dec 11 2010 16:09:00", 0},
        {"VantorFisheyeCam", "Vantor Fisheye Camera", "VantorFisheyeCam Dec 11 2010 10:02:19", 1},
    };
    const std::vector<ServerInfo> &servers = module->servers();
    auto indexOf = [&](const std::string &name) {
        for (std::size_t i = 0; i < servers.size(); ++i)
            if (servers[i].name == name)
                return i;
        return servers.size();
    };
    // Stereo and Skybox come right after each other, before the Panoramic
    // camera; the Fisheye after the Perspective camera.
    EXPECT_EQ(indexOf("VantorSkyboxCam"), indexOf("VantorStereoCam") + 3);
    EXPECT_LT(indexOf("VantorSkyboxCam"), indexOf("VantorPanoramicCam"));
    EXPECT_GT(indexOf("VantorFisheyeCam"), indexOf("VantorPerspectiveCam"));
    EXPECT_LT(indexOf("VantorFisheyeCam"), indexOf("VantorPerspectiveNoDOFCam"));
    for (const Row &row : rows) {
        const std::size_t at = indexOf(row.name);
        ASSERT_LT(at + 2, servers.size()) << row.name;
        const char *classes[] = {LWCAMERA_HCLASS, LWCAMERA_ICLASS, LWCAMERA_GCLASS};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(servers[at + k].className, classes[k]);
            EXPECT_EQ(servers[at + k].name, row.name);
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_USENGLISH), row.user);
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_UKENGLISH), row.user);
        }
        auto ci = Make(row.name);
        EXPECT_EQ(ci->describe(), row.describe);
        EXPECT_EQ(ci->flags(), row.flags);
        double m[4][4] = {};
        m[0][0] = 7;
        EXPECT_EQ(ci->preview(0, 0, m), 0);
        EXPECT_EQ(m[0][0], 7);
    }
}

TEST_F(ProjectionCameras, ServerRowsComeInTableOrderWithTheirUserNames) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"VantorPanoramicCam", "Vantor Panoramic Camera"},
        {"VantorCylinderCam", "Vantor Cylinder Camera"},
        {"VantorPerspectiveCam", "Vantor Perspective"},
        {"VantorFisheyeCam", ""},
        {"VantorPerspectiveNoDOFCam", "Vantor No DoF"},
        {"VantorPerspectiveNoDOFNoMBCam", "Vantor No DoF No MB"},
        {"VantorAdvPanCam", "Vantor SuperPano Camera"},
        {"VantorOverscanCam", ""},
    };
    const std::vector<ServerInfo> &servers = module->servers();
    std::size_t last = 0;
    for (const auto &row : rows) {
        std::size_t at = servers.size();
        for (std::size_t i = 0; i < servers.size(); ++i)
            if (servers[i].name == row.first) {
                at = i;
                break;
            }
        ASSERT_LT(at + 2, servers.size()) << row.first;
        EXPECT_GE(at, last) << row.first << " is out of order";
        last = at;
        EXPECT_EQ(servers[at].className, LWCAMERA_HCLASS);
        EXPECT_EQ(servers[at + 1].className, LWCAMERA_ICLASS);
        EXPECT_EQ(servers[at + 2].className, LWCAMERA_GCLASS);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(servers[at + k].name, row.first);
            if (row.second.empty()) continue;
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_USENGLISH), row.second);
            EXPECT_EQ(servers[at + k].tag(SRVTAG_USERNAME | LANGID_UKENGLISH), row.second);
        }
    }
}
