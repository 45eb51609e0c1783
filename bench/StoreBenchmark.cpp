// Time to encode and write, and to read and decode, a state file of 100 pins, in a temporary
// folder of the benchmark's own. Writing includes forcing the bytes to disk.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "store/StateFileCodec.h"

namespace {

using corkwallery::PinnedPhotoState;
namespace StateFileCodec = corkwallery::StateFileCodec;
namespace files = corkwallery::platform::files;

constexpr int kPins = 100;

std::vector<PinnedPhotoState> hundredPins() {
    std::vector<PinnedPhotoState> states;
    for (int i = 0; i < kPins; ++i) {
        const std::string photo = "IMG_" + std::to_string(1000 + i) + ".jpg";
        states.push_back(
            {"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B" + std::to_string(10 + i) + "-" + photo,
             "/home/me/Pictures/Holiday 2023/" + photo, 100.5 + i * 13.25, 900.0 - i * 7.125, 300,
             225 - i % 3 * 0.5, (i % 17 - 8) * 0.0174533, i % 2 ? "red" : "yellow", i % 5 == 0});
    }
    return states;
}

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corkwallery-bench-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file() const { return path_ + "/pinned-photos.json"; }

private:
    std::string path_;
};

void encodeAndWrite(benchmark::State& state) {
    const TemporaryFolder folder;
    const auto pins = hundredPins();
    for (auto _ : state) {
        const auto encoded = StateFileCodec::encode(pins);
        const auto written = files::writeAtomically(folder.file(), encoded.value());
        if (!written)
            state.SkipWithError(written.error().message.c_str());
        benchmark::DoNotOptimize(written);
    }
}

void readAndDecode(benchmark::State& state) {
    const TemporaryFolder folder;
    if (!files::writeAtomically(folder.file(), StateFileCodec::encode(hundredPins()).value()))
        return state.SkipWithError("cannot write the state file");
    for (auto _ : state) {
        const auto bytes = files::readFile(folder.file());
        const auto decoded = StateFileCodec::decode(bytes.value());
        if (!decoded || decoded.value().size() != kPins)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(decoded);
    }
}

// The parts without the file system, to tell codec cost from disk cost.
void encodeOnly(benchmark::State& state) {
    const auto pins = hundredPins();
    for (auto _ : state)
        benchmark::DoNotOptimize(StateFileCodec::encode(pins));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(StateFileCodec::encode(pins).value().size()));
}

void decodeOnly(benchmark::State& state) {
    const std::string bytes = StateFileCodec::encode(hundredPins()).value();
    for (auto _ : state)
        benchmark::DoNotOptimize(StateFileCodec::decode(bytes));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

}  // namespace

BENCHMARK(encodeAndWrite)->Name("EncodeAndWrite/100pins")->Unit(benchmark::kMicrosecond);
BENCHMARK(readAndDecode)->Name("ReadAndDecode/100pins")->Unit(benchmark::kMicrosecond);
BENCHMARK(encodeOnly)->Name("Encode/100pins")->Unit(benchmark::kMicrosecond);
BENCHMARK(decodeOnly)->Name("Decode/100pins")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
