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

namespace {

// One undo under way: the pins, and what became of their copies and decodes.
struct Undo {
    std::vector<RemovedPins::Removed> pins;
    std::vector<std::optional<platform::Error>> failures;  // taking the copy back
    std::vector<std::optional<DecodeQueue::Result>> photos;
};

RemovedPins::TakenBack bringBack(Undo& undo) {
    RemovedPins::TakenBack taken;
    for (std::size_t i = 0; i < undo.pins.size(); ++i) {
        const RemovedPins::Removed& removed = undo.pins[i];
        const std::string prefix = "  [" + std::to_string(removed.index) + "] ";
        const std::string copy =
            AppFolders::imagesFolderURL() + "/" + removed.record.storedFilename;
        auto pin = std::make_unique<Pin>();
        pin->record = removed.record;
        pin->fileIndex = removed.index;
        pin->state = removed.held ? Pin::State::Held : Pin::State::NotRestoredYet;
        std::string failure = undo.failures[i] ? undo.failures[i]->message : std::string();
        if (!undo.failures[i]) {
            platform::log(prefix + "Taken back: " + copy);
            if (auto& photo = undo.photos[i]; photo && *photo)
                pin->photo = std::move(*photo).value();
            else if (photo)
                failure = PhotoDecoder::refusedUndecoded(photo->error()) ? photo->error().message
                                                                         : "it cannot be decoded";
        }
        if (!failure.empty()) {
            platform::log(prefix + "ERROR: cannot bring back " + copy + ": " + failure);
            taken.lost.append(
                platform::files::toQt(PhotoCopies::chosenName(removed.record.storedFilename)));
            continue;
        }
        taken.pins.emplace_back(std::move(pin), removed.index);
    }
    return taken;
}

}  // namespace

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

void RemovedPins::takeBackLatest(DecodeQueue& decoding, std::function<void(TakenBack)> done) {
    if (removals_.empty())
        return;
    auto undo = std::make_shared<Undo>();
    undo->pins = std::move(removals_.back());
    removals_.pop_back();
    platform::log("Undo remove \u2014 " + std::to_string(undo->pins.size()) +
                  " pin(s) to bring back");
    // The copies come back first, then are decoded on worker threads, in order.
    undo->photos.resize(undo->pins.size());
    for (std::size_t i = 0; i < undo->pins.size(); ++i) {
        const Removed& pin = undo->pins[i];
        auto back = pin.trashed ? PhotoCopies::takeBackCopy(*pin.trashed, pin.record.storedFilename)
                                : platform::Result<void>::success();
        const bool tookBack = back.ok();
        undo->failures.push_back(tookBack ? std::nullopt : std::optional(std::move(back).error()));
        if (!tookBack || pin.held)
            continue;
        decoding.add(
            [location = AppFolders::storedImageURL(pin.record.storedFilename),
             size = QSizeF(pin.record.baseWidth, pin.record.baseHeight),
             scale = platform::screen::scaleAt({pin.record.centerX, pin.record.centerY})] {
                if (!location)
                    return DecodeQueue::Result::failure(platform::Error::Kind::Invalid,
                                                        "no plain file name");
                return PhotoDecoder::loadCopy(*location, size, scale);
            },
            [undo, i](DecodeQueue::Result photo) { undo->photos[i] = std::move(photo); });
    }
    decoding.then([undo, done = std::move(done)] { done(bringBack(*undo)); });
}

}  // namespace corkwallery
