// Shared set-up of the robustness tests: every camera type of the built
// modules, a stand-in host per test with a moving camera and two cameras to
// pick, and a render of a fixed grid of samples.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "standin/host.h"
#include "tests/support/camera_types.h"

namespace robustness {

struct CameraType {
    std::string path;    // module file
    std::string server;  // handler server name
    bool composite = false;       // has a camera-choice popup
    bool singleInstance = false;  // a second instance is refused
    bool usesEvaluators = false;  // asks for the camera evaluation service
    bool mainModule = false;      // a type of a listed camera module, not the timing module's
};
inline void PrintTo(const CameraType &t, std::ostream *os) { *os << t.server; }

// The built module files: the listed modules of camera types, and the timing
// module second.
std::vector<std::string> ModulePaths();

// The scene every test starts from: camera moves, two more cameras to pick
// and an object.
void Stage(standin::Host &host, LWItemID &camera);

// Every handler server of every module, found in the modules' own tables.
const std::vector<CameraType> &AllTypes();
std::string TypeName(const ::testing::TestParamInfo<CameraType> &info);

bool IsEnvelopeControl(const std::string &ctrlclass);
using testsupport::IsCameraChoice;

struct Ray {
    int code = 0;
    double v[18] = {};
};

// Render set-up at frame 6, then a grid over and past the film, with lens
// offsets and fractions; adds a failure for every written ray that is not
// finite.
std::vector<Ray> RenderGrid(standin::CameraInstance &cam);

// The camera's scene block as the host would store it.
std::string SavedBlock(standin::CameraInstance &cam, int mode = LWIO_BINARY);

// Picks a different scene camera in every camera-choice popup; the count.
int PickEveryCamera(standin::Host &host, standin::CameraInstance &cam);

class RobustnessTest : public ::testing::TestWithParam<CameraType> {
protected:
    void SetUp() override;
    void TearDown() override;
    standin::Module &Mod(const CameraType &t);
    std::unique_ptr<standin::CameraInstance> Make(const CameraType &t);

    std::unique_ptr<standin::Host> host;
    std::map<std::string, std::unique_ptr<standin::Module>> modules;
    LWItemID camera = nullptr;
};

}  // namespace robustness
