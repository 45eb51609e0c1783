#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decode/DecodeQueue.h"
#include "store/PhotoCopies.h"

namespace corkwallery {

struct Pin;

// Files being pinned together ("Add Photo", a drop, files another start handed over): each is
// decoded only as finely as its new pin shows it and copied into the images folder, on worker
// threads; once all are, the new pins are laid out together and made one by one, in the files'
// order.
class PhotoArrival {
public:
    // The longer side of a new photo, in points, and the greatest tilt, in radians (8 degrees).
    static constexpr double kLongerSide = 300;
    static constexpr double kMaximumTilt = 0.13962634015954636;

    // Why a file was not pinned; per file, none when it was pinned.
    enum class Failure { NotAPicture, TooLarge, Unreadable, CopyFailed };
    using Failures = std::vector<std::optional<Failure>>;

    struct Hands {
        // The frames of the pins already there, asked once the photos are decoded.
        std::function<std::vector<QRectF>()> taken;
        // A new pin, its record made and its photo decoded, to be listed and shown.
        std::function<void(std::unique_ptr<Pin>)> pinned;
        std::function<void(const Failures&)> done;
    };

    // Queues the files' decodes and copies on `decoding`, for pins around `middle` (screen
    // points). Once they are done: per file, the lines that say why it was not pinned, or its
    // copy's line and the new pin, a random tilt within ±8° and one of the four colours, laid out
    // by PinPlacement::arriving; then `done`.
    static void start(DecodeQueue& decoding, std::vector<std::string> paths, QPointF middle,
                      Hands hands);

    // The photo chosen size rule: longer side 300 points, the aspect of `naturalSize`; a square
    // takes the portrait branch.
    static QSizeF baseSize(QSizeF naturalSize);

private:
    void arrived();

    std::vector<std::string> paths_;
    QPointF middle_;
    Hands hands_;
    std::vector<std::optional<DecodeQueue::Result>> photos_;
    std::vector<std::optional<platform::Result<PhotoCopies::Copy>>> copies_;
};

}  // namespace corkwallery
