#include "pins/RemovedPins.h"

#include "decode/DecodeQueue.h"
#include "decode/PhotoDecoder.h"
#include "decode/PreviewCache.h"
#include "pins/Pin.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/ScreenCoordinates.h"
#include "store/AppFolders.h"
#include "store/PhotoCopies.h"

namespace corkwallery {

void RemovedPins::remember(std::vector<Removed> pins, bool saved) {
    if (pins.empty())
        return;
    for (Removed& pin : pins) {
        if (!saved)
            continue;
        // A copy that cannot be moved (its folder out of reach) stays where it is.
        if (auto trashed = PhotoCopies::trashCopy(pin.record.storedFilename))
            pin.trashed = std::move(trashed).value();
        PreviewCache::remove(pin.record.storedFilename);
    }
    removals_.push_back(std::move(pins));
}

RemovedPins::TakenBack RemovedPins::takeBackLatest() {
    TakenBack taken;
    if (removals_.empty())
        return taken;
    const std::vector<Removed> pins = std::move(removals_.back());
    removals_.pop_back();
    platform::log("Undo remove \u2014 " + std::to_string(pins.size()) + " pin(s) to bring back");
    // The copies come back first, then are decoded on worker threads, in order.
    DecodeQueue decoding;
    std::vector<std::optional<platform::Error>> failures;
    for (const Removed& pin : pins) {
        const auto back = pin.trashed
                              ? PhotoCopies::takeBackCopy(*pin.trashed, pin.record.storedFilename)
                              : platform::Result<bool>::success(true);
        failures.push_back(back ? std::nullopt : std::optional(back.error()));
        if (!back || pin.held)
            continue;
        decoding.add([location = AppFolders::storedImageURL(pin.record.storedFilename),
                      size = QSizeF(pin.record.baseWidth, pin.record.baseHeight),
                      scale = platform::screen::scaleAt({pin.record.centerX, pin.record.centerY})] {
            if (!location)
                return DecodeQueue::Result::failure(platform::Error::Kind::Invalid, {});
            return PhotoDecoder::loadCopy(*location, size, scale);
        });
    }
    for (std::size_t i = 0; i < pins.size(); ++i) {
        const Removed& removed = pins[i];
        const std::string prefix = "  [" + std::to_string(removed.index) + "] ";
        const std::string copy =
            AppFolders::imagesFolderURL() + "/" + removed.record.storedFilename;
        auto pin = std::make_unique<Pin>();
        pin->record = removed.record;
        pin->fileIndex = removed.index;
        pin->state = removed.held ? Pin::State::Held : Pin::State::NotRestoredYet;
        if (!failures[i]) {
            platform::log(prefix + "Taken back: " + copy);
            if (!removed.held) {
                auto photo = decoding.takeNext();
                if (photo)
                    pin->photo = std::move(photo).value();
                else
                    failures[i] = photo.error();
            }
        }
        if (failures[i]) {
            platform::log(
                prefix + "ERROR: cannot bring back " + copy + ": " +
                (failures[i]->message.empty() ? "it cannot be decoded" : failures[i]->message));
            taken.lost.append(
                platform::files::toQt(PhotoCopies::chosenName(removed.record.storedFilename)));
            continue;
        }
        taken.pins.emplace_back(std::move(pin), removed.index);
    }
    return taken;
}

}  // namespace corkwallery
