#include "pins/PinBoard.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdint>

#include "photo/DecodeQueue.h"
#include "photo/DraggableImageView.h"
#include "photo/PinColors.h"
#include "photo/PreviewCache.h"
#include "pins/PinPlacement.h"
#include "platform/Files.h"
#include "platform/Log.h"
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

// Device pixels per point on the main screen, which photos are decoded for.
double mainScreenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
}

// Uniform over the closed interval [a, b]: step k of 2^53 steps, the last one b itself, since
// a + (b - a) may round away from b.
double uniformDouble(double a, double b) {
    constexpr std::uint64_t kSteps = std::uint64_t{1} << 53;
    const std::uint64_t k = QRandomGenerator::system()->bounded(quint64{kSteps + 1});
    if (k == kSteps)
        return b;
    const double value = a + (b - a) * (static_cast<double>(k) / static_cast<double>(kSteps));
    return std::clamp(value, std::min(a, b), std::max(a, b));
}

void logRefusal(const PhotoDecoder::Refusal& refusal) {
    if (!refusal.reason.empty())
        log("  Refused " + refusal.reason);
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

// The copy goes with its previews.
void removeCopy(const std::string& storedFilename) {
    PhotoCopies::removeCopy(storedFilename);
    PreviewCache::remove(storedFilename);
}

}  // namespace

PinBoard::PinBoard(QObject* parent) : QObject(parent), screensChanged_(new QTimer(this)) {
    // A monitor unplugged moves and resizes the others too: one look once they settled.
    screensChanged_->setSingleShot(true);
    screensChanged_->setInterval(0);
    connect(screensChanged_, &QTimer::timeout, this, &PinBoard::bringPinsOnScreen);
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr)
        return;
    const auto follow = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, screensChanged_, qOverload<>(&QTimer::start));
        connect(screen, &QScreen::availableGeometryChanged, screensChanged_,
                qOverload<>(&QTimer::start));
    };
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    connect(application, &QGuiApplication::screenAdded, this, [this, follow](QScreen* screen) {
        follow(screen);
        screensChanged_->start();
    });
    connect(application, &QGuiApplication::screenRemoved, screensChanged_,
            qOverload<>(&QTimer::start));
}

PinBoard::~PinBoard() = default;

void PinBoard::createPinWindow(const PinParameters& p) {
    const double w = p.baseWidth;
    const double h = p.baseHeight;
    const QRectF screen = platform::screen::fromQt(QRectF(platform::screen::primaryGeometry()));
    const QPointF middle = screen.center();
    auto window =
        std::make_unique<PinWindow>(QRectF(middle.x() - w * 0.5, middle.y() - h * 0.5, w, h));
    auto* view = new DraggableImageView(QSizeF(w, h));
    connectView(view);
    view->setImage(p.image);
    view->setStoredFilename(p.storedFilename);
    view->setOriginalPath(p.originalPath);
    view->setPinColorName(p.pinColorName);
    view->renderPinImage();
    view->setLocked(p.isLocked);
    window->setContentView(view);
    view->fitWindowToPhoto(QSizeF(w, h), p.rotationAngle);
    if (p.center)
        window->setCenter(*p.center);
    // Shown only once its frame is final.
    window->orderFront();
    pinWindows_.push_back(std::move(window));
    emit pinWindowCreated();
    saveState();
}

void PinBoard::connectView(DraggableImageView* view) {
    connect(view, &DraggableImageView::pinStateDidChange, this, &PinBoard::saveState,
            Qt::DirectConnection);
    connect(
        view, &DraggableImageView::removePhoto, this, [this, view] { handleRemovePhoto(view); },
        Qt::DirectConnection);
    connect(
        view, &DraggableImageView::finerImageWanted, this,
        [this, view](QSizeF points) { reloadFinerImage(view, points); }, Qt::DirectConnection);
}

// A finer decode, after an enlargement, always comes from the stored copy.
void PinBoard::reloadFinerImage(DraggableImageView* view, QSizeF points) {
    const auto path =
        view->storedFilename() ? AppFolders::storedImageURL(*view->storedFilename()) : std::nullopt;
    if (!path)
        return;
    PhotoDecoder::Refusal refusal;
    auto photo = PhotoDecoder::loadCopy(*path, points, mainScreenScale(), &refusal);
    logRefusal(refusal);
    if (photo)
        view->setImage(std::move(*photo));
}

void PinBoard::restorePinnedPhotos() {
    const std::vector<PinnedPhotoState> records = loadState();
    log("restorePinnedPhotos() \u2014 " + std::to_string(records.size()) + " state(s) to restore");
    notRestoredYet_.assign(records.begin(), records.end());
    const std::string folder = AppFolders::imagesFolderURL();
    // The copies are decoded on worker threads, a few records ahead; the lines, the windows and
    // the saves follow the records' order here, as they would one after another.
    DecodeQueue decoding;
    std::vector<std::optional<std::string>> locations;
    for (const PinnedPhotoState& record : records) {
        // A name that is no plain file name is never opened: it could reach outside the folder.
        const auto location = AppFolders::storedImageURL(record.storedFilename);
        locations.push_back(location);
        decoding.add([location, points = QSizeF(record.baseWidth, record.baseHeight),
                      scale = mainScreenScale()] {
            DecodeQueue::Result result;
            if (location)
                result.photo = PhotoDecoder::loadCopy(*location, points, scale, &result.refusal);
            return result;
        });
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PinnedPhotoState& record = records[i];
        const std::string prefix = "  [" + std::to_string(i) + "] ";
        notRestoredYet_.pop_front();
        const auto& location = locations[i];
        const std::string path = location.value_or(folder + "/" + record.storedFilename);
        log(prefix + "Loading from container: " + path);
        const auto [photo, refusal] = decoding.takeNext();
        logRefusal(refusal);
        if (!photo) {
            log(prefix + "ERROR: failed to load image from " + path);
            if (const auto reason = location ? reasonToHold(folder, *location) : std::nullopt) {
                log(prefix + *reason + " \u2014 kept in the state file");
                held_.push_back({i, record, pinWindows_.size()});
            }
            continue;
        }
        log(prefix + "Image loaded: " +
            point(QPointF(photo->naturalSize.width(), photo->naturalSize.height())));
        createPinWindow({*photo, record.storedFilename, record.originalPath, record.baseWidth,
                         record.baseHeight, record.rotationAngle, record.pinColorName,
                         record.isLocked, QPointF(record.centerX, record.centerY)});
        log(prefix + "Window restored successfully");
    }
    bringPinsOnScreen();
}

std::vector<std::optional<PinBoard::Failure>> PinBoard::addPhotos(
    const std::vector<std::string>& paths) {
    DecodeQueue decoding;
    for (const std::string& path : paths) {
        // Decoded only as finely as the new pin shows it: its size comes from the header.
        decoding.add([path, scale = mainScreenScale()] {
            DecodeQueue::Result result;
            if (const auto natural = PhotoDecoder::naturalSize(path, &result.refusal))
                result.photo = PhotoDecoder::decode(
                    path, PhotoDecoder::longerSideToDecode(baseSize(QSizeF(*natural)), scale),
                    &result.refusal);
            return result;
        });
    }
    std::vector<std::optional<Failure>> outcomes;
    std::size_t pinned = 0;
    for (const std::string& path : paths) {
        const auto [image, refusal] = decoding.takeNext();
        logRefusal(refusal);
        if (!image) {
            log("ERROR: failed to load image from " + path);
            using Kind = PhotoDecoder::Refusal::Kind;
            outcomes.push_back(refusal.kind == Kind::TooLarge     ? Failure::TooLarge
                               : refusal.kind == Kind::Unreadable ? Failure::Unreadable
                                                                  : Failure::NotAPicture);
            continue;
        }
        const auto storedFilename = PhotoCopies::copyImageToContainer(path);
        if (!storedFilename) {
            log("ERROR: failed to copy image \u2014 photo will not persist");
            outcomes.push_back(Failure::CopyFailed);
            continue;
        }
        const double tilt = uniformDouble(-kMaximumTilt, kMaximumTilt);
        const char* color = pinColorNames.at(
            QRandomGenerator::system()->bounded(static_cast<quint32>(pinColorNames.size())));
        const QSizeF size = baseSize(image->naturalSize);
        const QRectF screen = platform::screen::fromQt(QRectF(platform::screen::primaryGeometry()));
        createPinWindow({*image, *storedFilename, platform::utf8::repaired(path), size.width(),
                         size.height(), tilt, color, false,
                         pinned == 0
                             ? std::nullopt
                             : std::optional(PinPlacement::cascaded(screen.center(), pinned))});
        ++pinned;
        outcomes.push_back(std::nullopt);
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
    const auto match = std::find_if(pinWindows_.begin(), pinWindows_.end(), [&](const auto& w) {
        return view != nullptr && w->contentView() == view;
    });
    if (match != pinWindows_.end())
        removeWindowAt(static_cast<std::size_t>(match - pinWindows_.begin()));
}

void PinBoard::removeWindowAt(std::size_t index) {
    PinWindow* window = pinWindows_[index].release();
    const std::optional<std::string> copy = window->contentView()->storedFilename();
    window->closeWindow();
    window->contentView()->disconnect(this);
    // The removal may come from inside the view's own menu action: the window goes once that
    // has returned.
    window->deleteLater();
    pinWindows_.erase(pinWindows_.begin() + static_cast<std::ptrdiff_t>(index));
    for (Held& held : held_) {
        if (held.windowsBefore > index)
            --held.windowsBefore;
    }
    // The copy goes only once the state file no longer names it: a crash in between leaves an
    // unnamed copy, never a pin without its photo.
    if (saveState() && copy)
        removeCopy(*copy);
}

void PinBoard::removeAllPhotos() {
    std::vector<std::string> copies;
    for (const auto& window : pinWindows_) {
        if (const auto& name = window->contentView()->storedFilename())
            copies.push_back(*name);
        window->closeWindow();
    }
    pinWindows_.clear();
    for (const Held& held : held_)
        copies.push_back(held.record.storedFilename);
    held_.clear();
    // As for one pin: the copies go only once the state file no longer names them.
    if (!saveState())
        return;
    for (const std::string& copy : copies)
        removeCopy(copy);
}

bool PinBoard::saveState() {
    log("saveState() called \u2014 " + std::to_string(pinWindows_.size()) + " window(s)");
    if (store_.isSavingDisabled())
        return false;  // said once, when the unreadable file could not be moved aside
    std::vector<PinnedPhotoState> records;
    std::size_t nextHeld = 0;
    // Held records go back where they stood: after the windows that came before them.
    const auto addHeldRecords = [&](std::size_t windowsBefore) {
        for (; nextHeld < held_.size() && held_[nextHeld].windowsBefore <= windowsBefore;
             ++nextHeld) {
            records.push_back(held_[nextHeld].record);
            log("  held " + std::to_string(held_[nextHeld].fileIndex) +
                ": kept unchanged \u2014 stored=" + held_[nextHeld].record.storedFilename);
        }
    };
    for (std::size_t i = 0; i < pinWindows_.size(); ++i) {
        addHeldRecords(i);
        const std::string window = "  window " + std::to_string(i) + ": ";
        const DraggableImageView* view = pinWindows_[i]->contentView();
        if (view == nullptr) {
            log(window + "contentView is not DraggableImageView \u2014 skipping");
            continue;
        }
        if (!view->storedFilename()) {
            log(window + "storedFilename is nil \u2014 skipping");
            continue;
        }
        // The centre as given, not recomputed from the frame: a restored pin saves back exactly.
        const QPointF center = pinWindows_[i]->center();
        records.push_back({*view->storedFilename(), view->originalPath().value_or(""), center.x(),
                           center.y(), view->baseImageSize().width(),
                           view->baseImageSize().height(), view->rotationAngle(),
                           view->pinColorName(), view->isLocked()});
        log(window + "saved \u2014 stored=" + records.back().storedFilename +
            ", center=" + point(center));
    }
    addHeldRecords(pinWindows_.size());
    // The launch has not reached these yet: they stay as they were, after everything before them.
    if (!notRestoredYet_.empty()) {
        records.insert(records.end(), notRestoredYet_.begin(), notRestoredYet_.end());
        log("  " + std::to_string(notRestoredYet_.size()) +
            " record(s) not restored yet \u2014 kept unchanged");
    }
    return store_.saveState(records);
}

std::vector<PinnedPhotoState> PinBoard::loadState() {
    return store_.loadState();
}

void PinBoard::bringPinsOnScreen() {
    const QList<QRectF> screens = platform::screen::availableAreas();
    bool moved = false;
    for (std::size_t i = 0; i < pinWindows_.size(); ++i) {
        PinWindow& window = *pinWindows_[i];
        const auto reachable = PinPlacement::broughtOnScreen(window.frame(), screens);
        if (!reachable)
            continue;
        window.setCenter(reachable->center());
        log("Brought pin " + std::to_string(i) +
            " back on screen: center=" + point(window.center()));
        moved = true;
    }
    if (moved)
        saveState();
}

}  // namespace corkwallery
