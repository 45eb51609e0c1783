#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace corkwallery::testing {

// Collects what the code under test writes to standard output, as lines.
class CapturedLog {
public:
    CapturedLog() { ::testing::internal::CaptureStdout(); }
    ~CapturedLog() {
        if (capturing_)
            ::testing::internal::GetCapturedStdout();
    }
    std::vector<std::string> lines() {
        capturing_ = false;
        std::istringstream text(::testing::internal::GetCapturedStdout());
        std::vector<std::string> result;
        for (std::string line; std::getline(text, line);)
            result.push_back(line);
        return result;
    }

private:
    bool capturing_ = true;
};

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

inline std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

}  // namespace corkwallery::testing
