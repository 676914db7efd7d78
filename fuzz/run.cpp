// run.cpp -- the entries by name, built into each fuzz program and the replay
// program rather than into the entries library: only the programs that run
// the scene-file entry then carry the tool's code (libFuzzer scans every
// instrumented edge after every input).
#include "fuzz/entries.h"

namespace lentara_fuzz {

bool Run(const std::string &target, const std::uint8_t *data, std::size_t size) {
    if (target == "scene_block") SceneBlock(data, size);
    else if (target == "evaluate") Evaluate(data, size);
    else if (target == "panels") Panels(data, size);
    else if (target == "composite") Composite(data, size);
#ifdef LENTARA_FUZZ_SCENE_FILE
    else if (target == "scene_file") SceneFile(data, size);
#endif
    else return false;
    return true;
}

}  // namespace lentara_fuzz
