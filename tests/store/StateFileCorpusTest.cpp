#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "StateFileRoundTrip.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;

// Every seed of the reader's fuzzer, and every input it ever found breaking the reader, read
// again: no crash, and whatever reads back whole round-trips.
TEST(StateFileCorpus, EverySeedAndFoundInputRoundTrips) {
    int replayed = 0;
    for (const char* folder : {FUZZ_CORPUS_DIR, FUZZ_CRASHES_DIR}) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().front() == '.')
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            EXPECT_TRUE(stateFileRoundTripHolds(bytes.str())) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 10);
}

}  // namespace
}  // namespace corkwallery
