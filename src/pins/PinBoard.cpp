#include "pins/PinBoard.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "decode/DecodeQueue.h"
#include "desktop/DraggableImageView.h"
#include "desktop/PinColors.h"
#include "desktop/ScreenChanges.h"
#include "pins/Pin.h"
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

std::string point(QPointF p) {
    return "(" + platform::formatDouble(p.x()) + ", " + platform::formatDouble(p.y()) + ")";
}

// A file refused before it was decoded says why; one that was tried and failed says nothing more.
void logRefusal(const platform::Error& error) {
    if (!error.message.empty())
        log("  Refused " + error.message);
}

// A photo whose colour profile could not be used is shown with its stored colours.
void logUnusableProfile(const Photo& photo, const std::string& path) {
    if (photo.unusableProfile)
        log("  Colour profile of " + path + " cannot be used \u2014 colours shown unconverted");
}

// Why a copy that did not load may load later; none when its record is to be dropped (the copy
// is absent from a folder that can be listed, or is there whole but no picture).
std::optional<std::string> reasonToHold(const std::string& folder, const std::string& copy) {
    const auto check = platform::files::checkReadability(folder, copy);
    switch (check.readability) {
        case platform::files::Readability::FolderUnreachable:
            return "Images folder cannot be reached (" + check.reason + ")";
        case platform::files::Readability::Unreadable:
            return "Copy cannot be read now (" + check.reason + ")";
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
    // While saves fail, one more try a minute after the last.
    saveAgain_.setSingleShot(true);
    saveAgain_.setInterval(std::chrono::minutes(1));
    connect(&saveAgain_, &QTimer::timeout, this, [this] { platform::discard(saveState()); });
}

PinBoard::~PinBoard() = default;

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
    for (const auto& pin : pins_) {
        if (pin->window)
            windows.push_back(pin->window.get());
    }
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
    Pin* const listed = &pin;
    connect(view, &DraggableImageView::pinStateDidChange, this,
            [this, listed] { pinStateChanged(*listed); });
    connect(view, &DraggableImageView::removePhoto, this,
            [this, view] { handleRemovePhoto(view); });
    connect(view, &DraggableImageView::openPhoto, this, [listed] {
        if (const auto copy = AppFolders::storedImageURL(listed->record.storedFilename))
            platform::launcher::openFile(*copy);
    });
    connect(view, &DraggableImageView::showOriginal, this,
            [listed] { platform::launcher::showInFileManager(listed->record.originalPath); });
    connect(window.get(), &PinWindow::geometryImposed, this, [this] {
        if (std::exchange(toldPlacedByWindowManager_, true))
            return;
        log("The window manager places pin windows itself \u2014 their saved places are kept");
        emit windowManagerPlacesPins();
    });
    connect(window.get(), &DesktopWindow::filesDropped, this, &PinBoard::filesDropped);
    // The user moved it through the window manager: wherever it was shown, that is its place now.
    connect(window.get(), &PinWindow::movedByWindowManager, this, [listed] {
        const QPointF center = listed->window->center();
        listed->record.centerX = center.x();
        listed->record.centerY = center.y();
        listed->shownAway.reset();
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

void PinBoard::pinStateChanged(Pin& pin) {
    const DraggableImageView& view = *pin.window->contentView();
    const QPointF center = pin.window->center();
    // A pin shown away from its place keeps that place through a lock change; a drag or a resize
    // there makes where it stands its place.
    const bool regestured =
        !pin.shownAway || center != *pin.shownAway ||
        view.baseImageSize() != QSizeF(pin.record.baseWidth, pin.record.baseHeight);
    if (regestured) {
        pin.record.centerX = center.x();
        pin.record.centerY = center.y();
        pin.shownAway.reset();
    }
    pin.record.baseWidth = view.baseImageSize().width();
    pin.record.baseHeight = view.baseImageSize().height();
    pin.record.isLocked = view.isLocked();
    decodeFinerWhereNeeded({&pin});  // after an enlargement
    platform::discard(saveState());
}

// From the stored copies, several at once, each for the screen that shows it.
void PinBoard::decodeFinerWhereNeeded(const std::vector<Pin*>& pins) {
    DecodeQueue decoding;
    std::vector<Pin*> decoded;
    for (Pin* pin : pins) {
        const double scale = platform::screen::scaleAt(pin->window->center());
        const QSizeF size = pin->window->contentView()->baseImageSize();
        if (!PhotoDecoder::needsFinerImage(pin->photo, size, scale))
            continue;
        const auto path = AppFolders::storedImageURL(pin->record.storedFilename);  // makes folders
        if (!path)
            continue;
        decoded.push_back(pin);
        decoding.add(
            [path = *path, size, scale] { return PhotoDecoder::loadCopy(path, size, scale); });
    }
    for (Pin* pin : decoded) {
        auto photo = decoding.takeNext();
        if (!photo) {
            logRefusal(photo.error());
            continue;
        }
        pin->photo = std::move(photo).value();
        pin->window->contentView()->setImage(pin->photo.pixels, pin->photo.naturalSize);
    }
}

void PinBoard::restorePinnedPhotos() {
    const std::vector<PinnedPhotoState> records = loadState();
    log("restorePinnedPhotos() \u2014 " + std::to_string(records.size()) + " state(s) to restore");
    const std::string folder = AppFolders::imagesFolderURL();
    // Every record is listed before the first save, so that each save writes those not reached.
    std::vector<Pin*> restoring;
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto& pin = pins_.emplace_back(std::make_unique<Pin>());
        pin->record = records[i];
        pin->fileIndex = i;
        restoring.push_back(pin.get());
    }
    // The copies are decoded on worker threads, a few records ahead; the lines, the windows and
    // the saves follow the records' order here, as they would one after another.
    DecodeQueue decoding;
    std::vector<std::optional<std::string>> locations;
    for (const PinnedPhotoState& record : records) {
        // A name that is no plain file name is never opened: it could reach outside the folder.
        const auto location = AppFolders::storedImageURL(record.storedFilename);
        locations.push_back(location);
        decoding.add([location, points = QSizeF(record.baseWidth, record.baseHeight),
                      scale = platform::screen::scaleAt({record.centerX, record.centerY})] {
            if (!location)
                return DecodeQueue::Result::failure(platform::Error::Kind::Invalid, {});
            return PhotoDecoder::loadCopy(*location, points, scale);
        });
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        Pin& pin = *restoring[i];
        const std::string prefix = "  [" + std::to_string(i) + "] ";
        const auto& location = locations[i];
        const std::string path = location.value_or(folder + "/" + records[i].storedFilename);
        log(prefix + "Loading from container: " + path);
        auto photo = decoding.takeNext();
        if (!photo) {
            logRefusal(photo.error());
            log(prefix + "ERROR: failed to load image from " + path);
            if (const auto reason = location ? reasonToHold(folder, *location) : std::nullopt) {
                log(prefix + *reason + " \u2014 kept in the state file");
                pin.state = Pin::State::Held;
            } else {
                std::erase_if(pins_, [&](const auto& listed) { return listed.get() == &pin; });
            }
            continue;
        }
        pin.photo = std::move(photo).value();
        logUnusableProfile(pin.photo, path);
        log(prefix + "Image loaded: " +
            point(QPointF(pin.photo.naturalSize.width(), pin.photo.naturalSize.height())));
        createPinWindow(pin);
        log(prefix + "Window restored successfully");
    }
    bringPinsOnScreen();
    decodeFinerWhereNeeded(shownPins());  // those shown on another screen than their place's
}

std::vector<std::optional<PinBoard::Failure>> PinBoard::addPhotos(
    const std::vector<std::string>& paths, std::optional<QPointF> at) {
    const QRectF screen = platform::screen::fromQt(QRectF(platform::screen::primaryGeometry()));
    const QPointF middle = at.value_or(screen.center());
    DecodeQueue decoding;
    for (const std::string& path : paths) {
        // Decoded only as finely as the new pin shows it: its size comes from the header.
        decoding.add([path, scale = platform::screen::scaleAt(middle)] {
            const auto natural = PhotoDecoder::naturalSize(path);
            if (!natural)
                return DecodeQueue::Result::failure(natural.error());
            return PhotoDecoder::decode(
                path, PhotoDecoder::longerSideToDecode(baseSize(QSizeF(natural.value())), scale));
        });
    }
    // The pins are laid out together, so every photo is decoded before the first is pinned.
    std::vector<DecodeQueue::Result> images;
    std::vector<QSizeF> sizes;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (const auto& image = images.emplace_back(decoding.takeNext()))
            sizes.push_back(baseSize(image.value().naturalSize));
    }
    std::vector<QRectF> taken;
    for (const PinWindow* window : pinWindows())
        taken.push_back(window->frame());
    const std::vector<QPointF> centers = PinPlacement::arriving(
        middle, sizes,
        PinPlacement::areaHolding(middle, platform::screen::availableAreas(), screen), taken);
    std::vector<std::optional<Failure>> outcomes;
    std::size_t placed = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        auto& image = images[i];
        if (!image) {
            logRefusal(image.error());
            log("ERROR: failed to load image from " + path);
            using Kind = platform::Error::Kind;
            const Kind kind = image.error().kind;
            outcomes.emplace_back(kind == Kind::TooLarge ? Failure::TooLarge
                                  : kind == Kind::Io     ? Failure::Unreadable
                                                         : Failure::NotAPicture);
            continue;
        }
        logUnusableProfile(image.value(), path);
        // A photo whose copy fails leaves its place empty.
        const QPointF center = centers[placed];
        const QSizeF size = sizes[placed++];
        const auto storedFilename = PhotoCopies::copyImageToContainer(path);
        if (!storedFilename) {
            log("ERROR: failed to copy image \u2014 photo will not persist");
            outcomes.emplace_back(Failure::CopyFailed);
            continue;
        }
        auto& pin = pins_.emplace_back(std::make_unique<Pin>());
        pin->record = {
            .storedFilename = *storedFilename,
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
        pin->photo = std::move(image).value();
        createPinWindow(*pin);
        outcomes.emplace_back(std::nullopt);
    }
    return outcomes;
}

// A square takes the second branch: the comparison is strict.
QSizeF PinBoard::baseSize(QSizeF naturalSize) {
    const double aspect = naturalSize.width() / naturalSize.height();
    if (aspect > 1)
        return {kLongerSide, kLongerSide / aspect};
    return {kLongerSide * aspect, kLongerSide};
}

void PinBoard::handleRemovePhoto(const DraggableImageView* view) {
    const auto match = std::find_if(pins_.begin(), pins_.end(), [&](const auto& pin) {
        return view != nullptr && pin->window && pin->window->contentView() == view;
    });
    if (match != pins_.end())
        removePin(match->get());
}

void PinBoard::removePin(Pin* pin) {
    const auto listed =
        std::find_if(pins_.begin(), pins_.end(), [&](const auto& p) { return p.get() == pin; });
    std::vector<std::pair<std::unique_ptr<Pin>, std::size_t>> gone;
    gone.emplace_back(std::move(*listed), listed - pins_.begin());
    pins_.erase(listed);
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
    RemovedPins::TakenBack taken = removed_.takeBackLatest();
    for (auto& [pin, index] : taken.pins) {
        Pin& listed = **pins_.insert(
            pins_.begin() + static_cast<std::ptrdiff_t>(std::min(index, pins_.size())),
            std::move(pin));
        if (listed.state == Pin::State::Held)
            continue;
        showPin(listed);
        log("  [" + std::to_string(index) + "] Window restored successfully");
    }
    if (taken.pins.empty() && taken.lost.isEmpty())
        return;
    bringPinsOnScreen();
    platform::discard(saveState());
    emit removalUndone();
    if (!taken.lost.isEmpty())
        emit copiesLost(taken.lost);
}

platform::Result<std::size_t> PinBoard::saveState() {
    const std::vector<PinWindow*> windows = pinWindows();
    log("saveState() called \u2014 " + std::to_string(windows.size()) + " window(s)");
    if (store_.isSavingDisabled())  // said once, when the unreadable file could not be moved aside
        return platform::Result<std::size_t>::failure(platform::Error::Kind::Io,
                                                      "the unreadable state file is kept");
    std::vector<PinnedPhotoState> records;
    std::size_t shown = 0;
    std::size_t notReached = 0;
    for (const auto& pin : pins_) {
        records.push_back(pin->record);
        const PinnedPhotoState& record = pin->record;
        switch (pin->state) {
            case Pin::State::Shown:
                log("  window " + std::to_string(shown++) +
                    ": saved \u2014 stored=" + record.storedFilename +
                    ", center=" + point(QPointF(record.centerX, record.centerY)));
                break;
            case Pin::State::Held:
                log("  held " + std::to_string(pin->fileIndex) +
                    ": kept unchanged \u2014 stored=" + record.storedFilename);
                break;
            case Pin::State::NotRestoredYet:
                ++notReached;
                break;
        }
    }
    if (notReached > 0)
        log("  " + std::to_string(notReached) +
            " record(s) not restored yet \u2014 kept unchanged");
    auto outcome = store_.saveState(records);
    noteSaveOutcome(outcome);
    return outcome;
}

void PinBoard::noteSaveOutcome(const platform::Result<std::size_t>& outcome) {
    if (outcome) {
        saveAgain_.stop();
        if (std::exchange(savesFailing_, false))
            emit savingResumed();
        return;
    }
    saveAgain_.start();
    if (!std::exchange(savesFailing_, true))
        emit savingFailed(QString::fromStdString(outcome.error().message));
}

std::vector<PinnedPhotoState> PinBoard::loadState() {
    return store_.loadState();
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
            point(center));
    }
}

}  // namespace corkwallery
