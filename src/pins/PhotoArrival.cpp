#include "pins/PhotoArrival.h"

#include <QRandomGenerator>

#include "desktop/PinColors.h"
#include "pins/Pin.h"
#include "pins/PinLog.h"
#include "pins/PinPlacement.h"
#include "platform/Log.h"
#include "platform/Random.h"
#include "platform/ScreenCoordinates.h"
#include "platform/Utf8.h"

namespace corkwallery {

void PhotoArrival::start(DecodeQueue& decoding, std::vector<std::string> paths, QPointF middle,
                         Hands hands) {
    auto arrival = std::make_shared<PhotoArrival>();
    arrival->paths_ = std::move(paths);
    arrival->middle_ = middle;
    arrival->hands_ = std::move(hands);
    arrival->photos_.resize(arrival->paths_.size());
    arrival->copies_.resize(arrival->paths_.size());
    for (std::size_t i = 0; i < arrival->paths_.size(); ++i) {
        // The header is read once, for the pin's size; the copy is made next to the decode, off
        // the event loop. Each job writes its own slot, read only once its result is handed on.
        decoding.add(
            [path = arrival->paths_[i], copy = &arrival->copies_[i],
             scale = platform::screen::scaleAt(middle)]() -> DecodeQueue::Result {
                TRY(PhotoFile file, PhotoDecoder::open(path));
                const int side =
                    PhotoDecoder::longerSideToDecode(baseSize(QSizeF(file.naturalSize())), scale);
                auto photo = PhotoDecoder::decode(std::move(file), side);
                if (photo)
                    *copy = PhotoCopies::copyImageToContainer(path);
                return photo;
            },
            [arrival, i](DecodeQueue::Result photo) { arrival->photos_[i] = std::move(photo); });
    }
    // The pins are laid out together, so every photo is decoded before the first is pinned.
    decoding.then([arrival] { arrival->arrived(); });
}

void PhotoArrival::arrived() {
    const QRectF screen = platform::screen::fromQt(QRectF(platform::screen::primaryGeometry()));
    std::vector<QSizeF> sizes;
    for (const auto& photo : photos_) {
        if (*photo)
            sizes.push_back(baseSize(photo->value().naturalSize));
    }
    const std::vector<QPointF> centers = PinPlacement::arriving(
        middle_, sizes,
        PinPlacement::areaHolding(middle_, platform::screen::availableAreas(), screen),
        hands_.taken());
    Failures outcomes;
    std::size_t placed = 0;
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        const std::string& path = paths_[i];
        auto& photo = *photos_[i];
        if (!photo) {
            PinLog::refusal(photo.error());
            platform::log("ERROR: failed to load image from " + path);
            using Kind = platform::Error::Kind;
            const Kind kind = photo.error().kind;
            outcomes.emplace_back(kind == Kind::TooLarge ? Failure::TooLarge
                                  : kind == Kind::Io     ? Failure::Unreadable
                                                         : Failure::NotAPicture);
            continue;
        }
        PinLog::unusableProfile(photo.value(), path);
        // A photo whose copy fails leaves its place empty.
        const QPointF center = centers[placed];
        const QSizeF size = sizes[placed++];
        const auto& copy = *copies_[i];
        PhotoCopies::logCopy(copy);
        if (!copy) {
            platform::log("ERROR: failed to copy image \u2014 photo will not persist");
            outcomes.emplace_back(Failure::CopyFailed);
            continue;
        }
        auto pin = std::make_unique<Pin>();
        pin->record = {
            .storedFilename = copy.value().storedFilename,
            .originalPath = platform::utf8::repaired(path),
            .centerX = center.x(),
            .centerY = center.y(),
            .baseWidth = size.width(),
            .baseHeight = size.height(),
            .rotationAngle = platform::random::uniformDouble(-kMaximumTilt, kMaximumTilt),
            .pinColorName = pinColorNames.at(
                QRandomGenerator::system()->bounded(static_cast<quint32>(pinColorNames.size()))),
            .isLocked = false,
        };
        pin->photo = std::move(photo).value();
        hands_.pinned(std::move(pin));
        outcomes.emplace_back(std::nullopt);
    }
    if (hands_.done)
        hands_.done(outcomes);
}

// A square takes the second branch: the comparison is strict.
QSizeF PhotoArrival::baseSize(QSizeF naturalSize) {
    const double aspect = naturalSize.width() / naturalSize.height();
    if (aspect > 1)
        return {kLongerSide, kLongerSide / aspect};
    return {kLongerSide * aspect, kLongerSide};
}

}  // namespace corkwallery
