// How long the event loop goes unanswered while pins arrive: a zero timer notes the longest gap
// between its turns during a cold restore (no previews) of the photos in <folder>, then while
// <large photo> is added. Usage: event_loop <folder> <large photo> [rounds]. Prints per round the
// longest gap and the whole time of each, in milliseconds, on standard error: standard output
// has the program's log.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pins/PinBoard.h"
#include "store/AppFolders.h"
#include "store/StateFileCodec.h"

namespace fs = std::filesystem;
using namespace corkwallery;

namespace {

// The longest time between two turns of a zero timer while `flow` runs until `done()`.
struct Gaps {
    qint64 longest = 0;
    qint64 total = 0;
};
template <typename Flow, typename Done>
Gaps measure(Flow flow, Done done) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    Gaps gaps;
    QTimer ping;
    QObject::connect(&ping, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        gaps.longest = std::max(gaps.longest, now - last);
        last = now;
    });
    ping.start(0);
    flow();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    gaps.longest = std::max(gaps.longest, clock.elapsed() - last);
    gaps.total = clock.elapsed();
    return gaps;
}

void useFreshFolders(const fs::path& root) {
    fs::remove_all(root);
    for (const char* folder : {"data", "cache", "config"})
        fs::create_directories(root / folder);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <large photo> [rounds]\n", argv[0]);
        return 2;
    }
    const fs::path photos = argv[1];
    const std::string large = argv[2];
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    // In memory, as the launch benchmark's: every pin's save forces the state file to disk, and a
    // shared disk's latency would drown what the event loop itself does.
    const fs::path root =
        (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
        "corkwallery-event-loop";
    useFreshFolders(root);
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corkwallery"));
    QCoreApplication::setApplicationName(QStringLiteral("Corkwallery"));

    std::vector<PinnedPhotoState> records;
    for (const auto& entry : fs::directory_iterator(photos)) {
        const std::string name = entry.path().filename().string();
        records.push_back({name, entry.path().string(), 400, 300, 300, 200, 0.05, "red", false});
    }
    std::sort(records.begin(), records.end(),
              [](const auto& a, const auto& b) { return a.storedFilename < b.storedFilename; });
    const auto state = StateFileCodec::encode(records);
    if (!state) {
        std::fprintf(stderr, "event_loop: %s\n", state.error().message.c_str());
        return 1;
    }
    std::fprintf(stderr,
                 "round  restore of %zu: longest gap  whole   add 200 MP: longest gap  whole\n",
                 records.size());
    for (int round = 0; round < rounds; ++round) {
        // Cold: no previews, every copy decoded.
        fs::remove_all(root / "cache");
        fs::remove_all(root / "data");
        const fs::path images = AppFolders::imagesFolderURL();
        for (const PinnedPhotoState& record : records)
            fs::create_symlink(photos / record.storedFilename, images / record.storedFilename);
        std::FILE* file = std::fopen(AppFolders::stateFileURL().c_str(), "wb");
        std::fwrite(state.value().data(), 1, state.value().size(), file);
        std::fclose(file);

        PinBoard board;
        bool restored = false;
        QObject::connect(&board, &PinBoard::restored, [&] { restored = true; });
        const Gaps restore =
            measure([&] { board.restorePinnedPhotos(); }, [&] { return restored; });
        bool added = false;
        const Gaps add = measure(
            [&] { board.addPhotos({large}, std::nullopt, [&](const auto&) { added = true; }); },
            [&] { return added; });
        std::fprintf(stderr, "%5d  %28lld  %5lld  %23lld  %5lld\n", round, restore.longest,
                     restore.total, add.longest, add.total);
        std::fflush(stderr);
    }
    fs::remove_all(root);
    return 0;
}
