#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "store/PinnedPhotoState.h"

namespace corkwallery::testing {

// Collects what the code under test writes to standard output, as lines.
class CapturedLog {
public:
    CapturedLog();
    ~CapturedLog();
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    // Stops capturing; call once.
    std::vector<std::string> lines();

private:
    bool capturing_ = true;
};

PinnedPhotoState beachRecord();

void writeBytes(const std::filesystem::path& path, const std::string& bytes);
std::string readBytes(const std::filesystem::path& path);
std::set<std::string> namesIn(const std::filesystem::path& folder);

}  // namespace corkwallery::testing
