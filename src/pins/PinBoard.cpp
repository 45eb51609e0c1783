#include "pins/PinBoard.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <algorithm>
#include <memory>
#include <utility>

#include "desktop/DraggableImageView.h"
#include "desktop/PinColors.h"
#include "desktop/ScreenChanges.h"
#include "pins/PhotoArrival.h"
#include "pins/Pin.h"
#include "pins/PinLog.h"
#include "pins/PinPlacement.h"
#include "platform/Files.h"
#include "platform/Launcher.h"
#include "platform/Log.h"
#include "platform/Random.h"
#include "platform/ScreenCoordinates.h"
#include "platform/Utf8.h"
#include "store/AppFolders.h"
#include "store/PhotoCopies.h"

namespace corkwallery {

using platform::log;

namespace {

// Why a copy that did not load may load later; none when its record is to be dropped (the copy
// is absent from a folder that can be listed, or is there whole but no picture).
std::optional<std::string> reasonToHold(const std::string& folder, const std::string& copy) {
    const auto readable = platform::files::checkReadability(folder, copy);
    if (readable)
        return std::nullopt;
    switch (readable.error().kind) {
        case platform::Error::Kind::Unreachable:
            return "Images folder cannot be reached (" + readable.error().message + ")";
        case platform::Error::Kind::Io:
            return "Copy cannot be read now (" + readable.error().message + ")";
        default:
            return std::nullopt;
    }
}

}  // namespace

PinBoard::PinBoard(QObject* parent) : QObject(parent) {
    // One look once the screens have settled: pins go where the screens now let them be seen,
    // then are decoded for the screens that show them; nothing from the moments in between counts.
    connect(&ScreenChanges::instance(), &ScreenChanges::settled, this, [this] {
        bringPinsOnScreen();
        decodeFinerWhereNeeded(shownPins());
    });
    connect(&saver_, &PinSaver::savingFailed, this, &PinBoard::savingFailed);
    connect(&saver_, &PinSaver::savingResumed, this, &PinBoard::savingResumed);
    connect(&saver_, &PinSaver::saveDue, this, [this] { platform::discard(saveState()); });
}

PinBoard::~PinBoard() = default;

Pin& PinBoard::list(std::unique_ptr<Pin> pin, std::size_t at) {
    pin->serial = nextSerial_++;
    return **pins_.insert(pins_.begin() + static_cast<std::ptrdiff_t>(std::min(at, pins_.size())),
                          std::move(pin));
}

Pin* PinBoard::listed(std::uint64_t serial) const {
    const auto match = std::find_if(pins_.begin(), pins_.end(),
                                    [&](const auto& pin) { return pin->serial == serial; });
    return match != pins_.end() ? match->get() : nullptr;
}

Pin* PinBoard::showing(const PinWindow* window) const {
    const auto match = std::find_if(pins_.begin(), pins_.end(), [&](const auto& pin) {
        return window != nullptr && pin->window.get() == window;
    });
    return match != pins_.end() ? match->get() : nullptr;
}

std::vector<Pin*> PinBoard::shownPins() const {
    std::vector<Pin*> shown;
    for (const auto& pin : pins_) {
        if (pin->window)
            shown.push_back(pin.get());
    }
    return shown;
}

std::vector<PinWindow*> PinBoard::pinWindows() const {
    std::vector<PinWindow*> windows;
    for (const Pin* pin : shownPins())
        windows.push_back(pin->window.get());
    return windows;
}

void PinBoard::createPinWindow(Pin& pin) {
    showPin(pin);
    emit pinWindowCreated();
    platform::discard(saveState());
}

void PinBoard::showPin(Pin& pin) {
    const PinnedPhotoState& record = pin.record;
    const QSizeF size(record.baseWidth, record.baseHeight);
    const QRectF screen = platform::screen::fromQt(QRectF(platform::screen::primaryGeometry()));
    const QPointF middle = screen.center();
    auto window = std::make_unique<PinWindow>(QRectF(middle.x() - size.width() * 0.5,
                                                     middle.y() - size.height() * 0.5, size.width(),
                                                     size.height()));
    auto* view = new DraggableImageView(size);
    // The window is every connection's context, and the pin is looked up through it: a late
    // report from a window whose pin is gone finds none.
    PinWindow* const shown = window.get();
    connect(view, &DraggableImageView::gestureEnded, shown, [this, shown](QSizeF shownSize) {
        if (Pin* listedPin = showing(shown))
            gestureEnded(*listedPin, shownSize);
    });
    connect(view, &DraggableImageView::lockToggled, shown, [this, shown] {
        Pin* listedPin = showing(shown);
        if (listedPin == nullptr)
            return;
        listedPin->record.isLocked = !listedPin->record.isLocked;
        shown->contentView()->setLocked(listedPin->record.isLocked);
        // Where it stands away from its place, the lock keeps that place.
        gestureEnded(*listedPin, QSizeF(listedPin->record.baseWidth, listedPin->record.baseHeight));
    });
    connect(view, &DraggableImageView::removePhoto, shown,
            [this, shown] { removePin(showing(shown)); });
    connect(view, &DraggableImageView::openPhoto, shown, [this, shown] {
        const Pin* listedPin = showing(shown);
        if (const auto copy = listedPin
                                  ? AppFolders::storedImageURL(listedPin->record.storedFilename)
                                  : std::nullopt)
            platform::discard(platform::launcher::openFile(*copy));  // logged there
    });
    connect(view, &DraggableImageView::showOriginal, shown, [this, shown] {
        if (const Pin* listedPin = showing(shown))
            platform::launcher::showInFileManager(listedPin->record.originalPath);
    });
    connect(shown, &PinWindow::geometryImposed, this, [this] {
        if (std::exchange(toldPlacedByWindowManager_, true))
            return;
        log("The window manager places pin windows itself \u2014 their saved places are kept");
        emit windowManagerPlacesPins();
    });
    connect(shown, &DesktopWindow::filesDropped, this, &PinBoard::filesDropped);
    // The user moved it through the window manager: wherever it was shown, that is its place now.
    connect(shown, &PinWindow::movedByWindowManager, shown, [this, shown] {
        Pin* listedPin = showing(shown);
        if (listedPin == nullptr)
            return;
        const QPointF center = shown->center();
        listedPin->record.centerX = center.x();
        listedPin->record.centerY = center.y();
        listedPin->shownAway.reset();
    });
    view->setImage(pin.photo.pixels, pin.photo.naturalSize);
    view->setPinColorName(record.pinColorName);
    view->setPhotoName(platform::files::toQt(PhotoCopies::chosenName(record.storedFilename)));
    view->setOriginalPath(record.originalPath);
    view->setLocked(record.isLocked);
    window->setContentView(view);
    view->fitWindowToPhoto(size, record.rotationAngle);
    window->setCenter(QPointF(record.centerX, record.centerY));
    // Shown only once its frame is final.
    window->orderFront();
    pin.window = std::move(window);
    pin.state = Pin::State::Shown;
}

void PinBoard::gestureEnded(Pin& pin, QSizeF size) {
    const QPointF center = pin.window->center();
    // A pin shown away from its place keeps that place through a lock change; a drag or a resize
    // there makes where it stands its place.
    const bool regestured = !pin.shownAway || center != *pin.shownAway ||
                            size != QSizeF(pin.record.baseWidth, pin.record.baseHeight);
    if (regestured) {
        pin.record.centerX = center.x();
        pin.record.centerY = center.y();
        pin.shownAway.reset();
    }
    pin.record.baseWidth = size.width();
    pin.record.baseHeight = size.height();
    decodeFinerWhereNeeded({&pin});  // after an enlargement
    platform::discard(saveState());
}

// From the stored copies, several at once, each for the screen that shows it.
void PinBoard::decodeFinerWhereNeeded(const std::vector<Pin*>& pins) {
    for (Pin* pin : pins) {
        const double scale = platform::screen::scaleAt(pin->window->center());
        const QSizeF size(pin->record.baseWidth, pin->record.baseHeight);
        if (!PhotoDecoder::needsFinerImage(pin->photo, size, scale))
            continue;
        const auto path = AppFolders::storedImageURL(pin->record.storedFilename);  // makes folders
        if (!path)
            continue;
        decoding_.add(
            [path = *path, size, scale] { return PhotoDecoder::loadCopy(path, size, scale); },
            [this, serial = pin->serial](DecodeQueue::Result photo) {
                Pin* finer = listed(serial);
                if (finer == nullptr || !finer->window)
                    return;
                if (!photo) {
                    PinLog::refusal(photo.error());
                    return;
                }
                finer->photo = std::move(photo).value();
                finer->window->contentView()->setImage(finer->photo.pixels,
                                                       finer->photo.naturalSize);
            });
    }
}

void PinBoard::restorePinnedPhotos() {
    const std::vector<PinnedPhotoState> records = loadState();
    log("restorePinnedPhotos() \u2014 " + std::to_string(records.size()) + " state(s) to restore");
    // Every record is listed before the first save, so that each save writes those not reached.
    std::vector<std::uint64_t> restoring;
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto pin = std::make_unique<Pin>();
        pin->record = records[i];
        pin->fileIndex = i;
        restoring.push_back(list(std::move(pin), pins_.size()).serial);
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PinnedPhotoState& record = records[i];
        // A name that is no plain file name is never opened: it could reach outside the folder.
        const auto location = AppFolders::storedImageURL(record.storedFilename);
        decoding_.add(
            [location, points = QSizeF(record.baseWidth, record.baseHeight),
             scale = platform::screen::scaleAt({record.centerX, record.centerY})] {
                if (!location)
                    return DecodeQueue::Result::failure(platform::Error::Kind::Invalid,
                                                        "no plain file name");
                return PhotoDecoder::loadCopy(*location, points, scale);
            },
            [this, serial = restoring[i], i, location](DecodeQueue::Result photo) {
                // Removed meanwhile ("Remove All Photos" during the launch): nothing to show.
                if (Pin* pin = listed(serial))
                    restoreOne(*pin, i, location, std::move(photo));
            });
    }
    decoding_.then([this] {
        bringPinsOnScreen();
        decodeFinerWhereNeeded(shownPins());  // those shown on another screen than their place's
        emit restored();
    });
}

void PinBoard::restoreOne(Pin& pin, std::size_t index, const std::optional<std::string>& location,
                          DecodeQueue::Result photo) {
    const std::string folder = AppFolders::imagesFolderURL();
    const std::string prefix = "  [" + std::to_string(index) + "] ";
    const std::string path = location.value_or(folder + "/" + pin.record.storedFilename);
    log(prefix + "Loading from container: " + path);
    if (!photo) {
        PinLog::refusal(photo.error());
        log(prefix + "ERROR: failed to load image from " + path);
        if (const auto reason = location ? reasonToHold(folder, *location) : std::nullopt) {
            log(prefix + *reason + " \u2014 kept in the state file");
            pin.state = Pin::State::Held;
        } else {
            std::erase_if(pins_, [&](const auto& listedPin) { return listedPin.get() == &pin; });
        }
        return;
    }
    pin.photo = std::move(photo).value();
    PinLog::unusableProfile(pin.photo, path);
    log(prefix + "Image loaded: " +
        PinLog::point(QPointF(pin.photo.naturalSize.width(), pin.photo.naturalSize.height())));
    createPinWindow(pin);
    log(prefix + "Window restored successfully");
}

void PinBoard::addPhotos(const std::vector<std::string>& paths, std::optional<QPointF> at,
                         std::function<void(const Failures&)> done) {
    const QRectF screen = platform::screen::fromQt(QRectF(platform::screen::primaryGeometry()));
    PhotoArrival::start(decoding_, paths, at.value_or(screen.center()),
                        {.taken =
                             [this] {
                                 std::vector<QRectF> taken;
                                 for (const PinWindow* window : pinWindows())
                                     taken.push_back(window->frame());
                                 return taken;
                             },
                         .pinned =
                             [this](std::unique_ptr<Pin> pin) {
                                 createPinWindow(list(std::move(pin), pins_.size()));
                             },
                         .done = std::move(done)});
}

void PinBoard::removePin(Pin* pin) {
    const auto listedPin =
        std::find_if(pins_.begin(), pins_.end(), [&](const auto& p) { return p.get() == pin; });
    if (pin == nullptr || listedPin == pins_.end())
        return;
    std::vector<std::pair<std::unique_ptr<Pin>, std::size_t>> gone;
    gone.emplace_back(std::move(*listedPin), listedPin - pins_.begin());
    pins_.erase(listedPin);
    removed(gone);
}

void PinBoard::removeAllPhotos() {
    std::vector<std::pair<std::unique_ptr<Pin>, std::size_t>> gone;
    for (std::size_t i = 0; i < pins_.size(); ++i)
        gone.emplace_back(std::move(pins_[i]), i);
    pins_.clear();
    removed(gone);
}

void PinBoard::removed(const std::vector<std::pair<std::unique_ptr<Pin>, std::size_t>>& pins) {
    std::vector<RemovedPins::Removed> kept;
    QStringList names;
    for (const auto& [pin, index] : pins) {
        kept.push_back({pin->record, index, pin->state == Pin::State::Held, std::nullopt});
        names.append(platform::files::toQt(PhotoCopies::chosenName(pin->record.storedFilename)));
        if (!pin->window)
            continue;
        pin->window->closeWindow();
        pin->window->contentView()->disconnect(this);
        // The removal may come from inside the view's own menu action: the window goes once that
        // has returned.
        pin->window.release()->deleteLater();
    }
    // The copies go only once the state file no longer names them: a crash in between leaves an
    // unnamed copy, never a pin without its photo.
    const bool saved = saveState().ok();
    if (kept.empty())
        return;
    removed_.remember(std::move(kept), saved);
    emit photosRemoved(names);
}

void PinBoard::undoRemove() {
    removed_.takeBackLatest(decoding_, [this](RemovedPins::TakenBack&& taken) {
        for (auto& [pin, index] : taken.pins) {
            Pin& back = list(std::move(pin), index);
            if (back.state == Pin::State::Held)
                continue;
            showPin(back);
            log("  [" + std::to_string(index) + "] Window restored successfully");
        }
        if (taken.pins.empty() && taken.lost.isEmpty())
            return;
        bringPinsOnScreen();
        platform::discard(saveState());
        emit removalUndone();
        if (!taken.lost.isEmpty())
            emit copiesLost(taken.lost);
    });
}

platform::Result<std::size_t> PinBoard::saveState() {
    return saver_.save(pins_);
}

std::vector<PinnedPhotoState> PinBoard::loadState() {
    return saver_.load();
}

// Nothing here is the user's doing, so nothing is saved.
void PinBoard::bringPinsOnScreen() {
    const std::vector<Pin*> shown = shownPins();
    std::vector<PinPlacement::Standing> standing;
    for (const Pin* pin : shown) {
        QRectF place(QPointF(), pin->window->frame().size());
        place.moveCenter(QPointF(pin->record.centerX, pin->record.centerY));
        standing.push_back(
            {place, pin->shownAway ? std::optional(pin->window->frame()) : std::nullopt});
    }
    const auto where = PinPlacement::whereShown(standing, platform::screen::availableAreas());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (where[i] == standing[i].away)  // at its place, or staying where it stands
            continue;
        Pin& pin = *shown[i];
        const std::optional<QPointF> away =
            where[i] ? std::optional(where[i]->center()) : std::nullopt;
        pin.shownAway = away;
        const QPointF center = away.value_or(QPointF(pin.record.centerX, pin.record.centerY));
        pin.window->setCenter(center);
        log((away ? "Brought pin " + std::to_string(i) + " back on screen: center="
                  : "Returned pin " + std::to_string(i) + " to its place: center=") +
            PinLog::point(center));
    }
}

}  // namespace corkwallery
