#include "pins/PinSaver.h"

#include <chrono>
#include <string>
#include <utility>

#include "pins/Pin.h"
#include "pins/PinLog.h"
#include "platform/Log.h"

namespace corkwallery {

using platform::log;

PinSaver::PinSaver() {
    again_.setSingleShot(true);
    again_.setInterval(std::chrono::minutes(1));
    connect(&again_, &QTimer::timeout, this, &PinSaver::saveDue);
}

platform::Result<std::size_t> PinSaver::save(const std::vector<std::unique_ptr<Pin>>& pins) {
    std::vector<PinnedPhotoState> records;
    std::size_t shown = 0;
    std::size_t notReached = 0;
    std::vector<std::string> lines;
    for (const auto& pin : pins) {
        records.push_back(pin->record);
        const PinnedPhotoState& record = pin->record;
        switch (pin->state) {
            case Pin::State::Shown:
                lines.push_back("  window " + std::to_string(shown++) +
                                ": saved \u2014 stored=" + record.storedFilename +
                                ", center=" + PinLog::point({record.centerX, record.centerY}));
                break;
            case Pin::State::Held:
                lines.push_back("  held " + std::to_string(pin->fileIndex) +
                                ": kept unchanged \u2014 stored=" + record.storedFilename);
                break;
            case Pin::State::NotRestoredYet:
                ++notReached;
                break;
        }
    }
    log("saveState() called \u2014 " + std::to_string(shown) + " window(s)");
    if (store_.isSavingDisabled())  // said once, when the unreadable file could not be moved aside
        return platform::Error{platform::Error::Kind::Io, "the unreadable state file is kept"};
    for (const std::string& line : lines)
        log(line);
    if (notReached > 0)
        log("  " + std::to_string(notReached) +
            " record(s) not restored yet \u2014 kept unchanged");
    auto outcome = store_.saveState(records);
    if (outcome) {
        again_.stop();
        if (std::exchange(failing_, false))
            emit savingResumed();
    } else {
        again_.start();
        if (!std::exchange(failing_, true))
            emit savingFailed(QString::fromStdString(outcome.error().message));
    }
    return outcome;
}

}  // namespace corkwallery
