// Replays stored inputs through a fuzzed entry without libFuzzer:
//   fuzz_replay TARGET FILE_OR_DIR...
// Every regular file is one input. A broken property aborts, as it does
// under the fuzzer; otherwise prints how many inputs ran.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <algorithm>

#include "fuzz/entries.h"

namespace fs = std::filesystem;

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_replay TARGET FILE_OR_DIR...\n");
        return 2;
    }
    const std::string target = argv[1];
    std::vector<fs::path> files;
    for (int a = 2; a < argc; ++a) {
        fs::path p(argv[a]);
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            for (const auto &entry : fs::directory_iterator(p))
                if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
        } else if (fs::is_regular_file(p, ec)) {
            files.push_back(p);
        }
    }
    std::sort(files.begin(), files.end());
    int ran = 0;
    for (const fs::path &f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fprintf(stderr, "%s\n", f.string().c_str());
        if (!lentara_fuzz::Run(target, reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size())) {
            std::fprintf(stderr, "unknown target %s\n", target.c_str());
            return 2;
        }
        ++ran;
    }
    std::printf("%s: %d inputs replayed\n", target.c_str(), ran);
    return 0;
}
