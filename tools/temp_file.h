// temp_file.h -- files that exist only while the tool runs (an image being
// written, a panorama's MIP pyramid): removed when their guard goes, and by
// SIGINT or SIGTERM before the signal ends the process.
#pragma once

#include <string>

namespace lentara::tool {

class TempFile {
public:
    // Registers `path` (the file need not exist yet); ok() is false when no
    // slot is free or the path is too long, and the file must not be made.
    explicit TempFile(std::string path);
    ~TempFile(); // removes the file if it still exists
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    bool ok() const { return slot_ >= 0; }
    const std::string &path() const { return path_; }

private:
    std::string path_;
    int slot_ = -1;
};

// A name for a new temporary file in the system's temporary folder, unique
// within this process, ending in `suffix`.
std::string TempPath(const std::string &stem, const std::string &suffix);

} // namespace lentara::tool
