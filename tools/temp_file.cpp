// temp_file.cpp -- the registry of temporary files and the signal handler
// that removes them.
#include "tools/temp_file.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace lentara::tool {

namespace {

// Fixed storage the handler may read: a path per slot and whether it is live.
constexpr int kSlots = 8;
constexpr std::size_t kPathBytes = 4096;
char gPaths[kSlots][kPathBytes];
std::atomic<bool> gLive[kSlots];
std::mutex gClaim;

constexpr int kSignals[2] = {SIGINT, SIGTERM};
struct sigaction gPrevious[2];

extern "C" void RemoveTempFilesOnSignal(int signal) {
    for (int i = 0; i < kSlots; ++i)
        if (gLive[i].load()) unlink(gPaths[i]);
    // Then end the way the signal would have ended the process.
    for (int i = 0; i < 2; ++i)
        if (kSignals[i] == signal) sigaction(signal, &gPrevious[i], nullptr);
    raise(signal);
}

void InstallHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 2; ++i) {
            struct sigaction action {};
            action.sa_handler = RemoveTempFilesOnSignal;
            sigemptyset(&action.sa_mask);
            sigaction(kSignals[i], &action, &gPrevious[i]);
            // A signal that was ignored (a job started in the background) stays ignored.
            if (gPrevious[i].sa_handler == SIG_IGN) sigaction(kSignals[i], &gPrevious[i], nullptr);
        }
    });
}

} // namespace

TempFile::TempFile(std::string path) : path_(std::move(path)) {
    if (path_.size() >= kPathBytes) return;
    InstallHandlers();
    std::lock_guard<std::mutex> lock(gClaim);
    for (int i = 0; i < kSlots; ++i) {
        if (gLive[i].load()) continue;
        std::memcpy(gPaths[i], path_.c_str(), path_.size() + 1);
        gLive[i].store(true);
        slot_ = i;
        return;
    }
}

TempFile::~TempFile() {
    if (slot_ < 0) return;
    unlink(path_.c_str()); // already gone after a rename
    std::lock_guard<std::mutex> lock(gClaim);
    gLive[slot_].store(false);
}

std::string TempPath(const std::string &stem, const std::string &suffix) {
    static std::atomic<int> counter{0};
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) folder = "/tmp";
    return (folder / (stem + "-" + std::to_string(static_cast<long>(getpid())) + "-" + std::to_string(counter++) + suffix))
        .string();
}

} // namespace lentara::tool
