#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace corkwallery::testing {

CapturedLog::CapturedLog() {
    ::testing::internal::CaptureStdout();
}

CapturedLog::~CapturedLog() {
    if (capturing_)
        ::testing::internal::GetCapturedStdout();
}

std::vector<std::string> CapturedLog::lines() {
    capturing_ = false;
    std::istringstream text(::testing::internal::GetCapturedStdout());
    std::vector<std::string> result;
    for (std::string line; std::getline(text, line);)
        result.push_back(line);
    return result;
}

PinnedPhotoState beachRecord() {
    return {"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg",
            "/Users/me/Pictures/beach.jpg",
            640,
            412.5,
            300,
            225,
            -0.0523,
            "red",
            false};
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::filesystem::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

}  // namespace corkwallery::testing
