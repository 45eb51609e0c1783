#pragma once

#include <gtest/gtest.h>

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

}  // namespace corkwallery::testing
