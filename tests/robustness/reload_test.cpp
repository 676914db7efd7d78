// The module files opened and closed again and again in one process, as a
// host that reloads its plug-ins does (and as this test program does, one
// stand-in host after another): every load must succeed, and every camera
// type must give the same rays on each load as on the first.
#include "tests/robustness/robustness.h"

#include <cstring>

namespace {

using robustness::AllTypes;
using robustness::CameraType;
using robustness::Ray;

const int kLoads = 20;

TEST(ModuleReload, EveryLoadOpensAndRendersAsTheFirst) {
    ASSERT_FALSE(AllTypes().empty());
    std::map<std::string, std::vector<Ray>> first;  // by server, from load 0
    for (int load = 0; load < kLoads; ++load) {
        SCOPED_TRACE("load " + std::to_string(load));
        standin::Host host;
        LWItemID camera = nullptr;
        robustness::Stage(host, camera);
        std::map<std::string, std::unique_ptr<standin::Module>> modules;
        for (const std::string &path : robustness::ModulePaths()) {
            auto m = std::make_unique<standin::Module>(path);
            ASSERT_TRUE(m->ok()) << m->error();
            modules[path] = std::move(m);
        }
        for (const CameraType &t : AllTypes()) {
            standin::CameraInstance cam(host, *modules.at(t.path), t.server, camera);
            ASSERT_TRUE(cam.ok()) << t.server << ": " << cam.error();
            const std::vector<Ray> rays = robustness::RenderGrid(cam);
            cam.cleanUp();
            auto seen = first.find(t.server);
            if (seen == first.end()) {
                first.emplace(t.server, rays);
                continue;
            }
            ASSERT_EQ(rays.size(), seen->second.size()) << t.server;
            std::size_t differing = 0;
            for (std::size_t i = 0; i < rays.size(); ++i)
                if (rays[i].code != seen->second[i].code ||
                    std::memcmp(rays[i].v, seen->second[i].v, sizeof rays[i].v) != 0)
                    ++differing;
            EXPECT_EQ(differing, 0u) << t.server << ": rays differ from the first load's";
        }
    }
    EXPECT_EQ(first.size(), AllTypes().size());
}

}  // namespace
