#pragma once

#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decode/DecodeQueue.h"
#include "desktop/DroppedFiles.h"
#include "pins/PhotoArrival.h"
#include "pins/PinSaver.h"
#include "pins/RemovedPins.h"
#include "platform/Result.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

class PinWindow;
struct Pin;

// The pins on the desktop and the flows that add, restore, remove and save them. Each pin is one
// value: its record (the truth of what is saved), its decoded photo and its window; a gesture on
// the window updates the record, and a save writes the records in their order. Records whose
// copies cannot be read at launch (their folder out of reach, the copy unreadable for now) are
// held without a window: written back unchanged, in their place, until "Remove All Photos". While
// the launch restores pins, the records it has not reached yet are written back unchanged after
// them, so a launch cut short loses none. A pin whose place no screen shows (a monitor gone, a
// smaller screen) is shown on the nearest screen while its record keeps the place, and goes back
// once the place is seen again; this is looked at on launch and once screens have settled after a
// change (a monitor, the scale), when each photo is decoded again for the screen that shows it.
class PinBoard final : public QObject {
    Q_OBJECT
public:
    explicit PinBoard(QObject* parent = nullptr);
    ~PinBoard() override;

    // The windows of the pins shown, in the pins' order.
    std::vector<PinWindow*> pinWindows() const;

    // Reads the state file and makes a pin window for every record whose copy loads, with the
    // log lines "restorePinnedPhotos() — <n> state(s) to restore", and per record "[<i>] Loading
    // from container: <path>", then "[<i>] Image loaded: (<w>, <h>)" and "[<i>] Window restored
    // successfully", or "[<i>] ERROR: failed to load image from <path>" (and for a held record a
    // line saying why it is kept). Then brings pins that no screen shows back and emits restored().
    // The copies are decoded on worker threads while the event loop runs; the lines, the windows
    // and the saves follow the records' order, as they would one after another.
    void restorePinnedPhotos();

    using Failure = PhotoArrival::Failure;
    using Failures = PhotoArrival::Failures;

    // Pins each file as "Add Photo" does (see PhotoArrival), its longer side 300 points. One photo
    // is centred at `at` (screen points), by default the main screen's centre; several stand side
    // by side around it. After whatever was asked of the board before, the lines and windows
    // follow the files' order; then `done` is told what became of each file.
    void addPhotos(const std::vector<std::string>& paths, std::optional<QPointF> at,
                   std::function<void(const Failures&)> done);

    // Removes every pin, held records included, as a pin's Remove Photo removes it: closes and
    // unlists the windows, saves (even when there is none), and only when that save succeeded
    // moves the copies to the Trash.
    void removeAllPhotos();
    // Brings back the pins of the latest removal not yet undone: their records as they were, at
    // their places among the pins, their copies taken back from the Trash, and saves once. Logs
    // "Undo remove — <n> pin(s) to bring back", per pin "[<i>] Taken back: <copy path>" and
    // "[<i>] Window restored successfully" (i its place among the pins), or why it cannot be.
    void undoRemove();
    bool canUndoRemove() const { return !removed_.isEmpty(); }

    // Writes the state file from the records (see PinSaver).
    platform::Result<std::size_t> saveState();
    std::vector<PinnedPhotoState> loadState();

    // Shows every pin of whose place no screen shows at least 48 x 48 points on the nearest
    // screen, clear of the other pins, logging "Brought pin <i> back on screen: center=(<x>,
    // <y>)", and every pin shown away whose place is seen again back there, logging "Returned
    // pin <i> to its place: center=(<x>, <y>)". Saves nothing: the records keep the places.
    void bringPinsOnScreen();

signals:
    // The launch's records are all restored, held or dropped.
    void restored();
    // A pin window was listed; emitted before the save that follows.
    void pinWindowCreated();
    // The window manager gave a pin window a geometry of its own (a tiling manager): said once a
    // run, after the line "The window manager places pin windows itself — their saved places
    // are kept".
    void windowManagerPlacesPins();
    // Files were dropped on a pin.
    void filesDropped(const corkwallery::DroppedFiles& dropped);
    // Pins were removed, or brought back; the chosen files' names of those removed.
    void photosRemoved(const QStringList& names);
    void removalUndone();
    // An undo could not take these copies back (the Trash was emptied); the others came back.
    void copiesLost(const QStringList& names);
    // A save failed after the last one succeeded, and why; saves are tried again every minute
    // until one succeeds, which writes every change since.
    void savingFailed(const QString& reason);
    void savingResumed();

private:
    // Lists a new pin, to be found again by its serial once a decode for it comes back.
    Pin& list(std::unique_ptr<Pin> pin, std::size_t at);
    Pin* listed(std::uint64_t serial) const;
    Pin* showing(const PinWindow* window) const;
    // Builds the pin's window centred on the main screen, fits it to the tilted photo, moves its
    // centre to the record's, shows it, emits pinWindowCreated and saves.
    void createPinWindow(Pin& pin);
    void showPin(Pin& pin);
    // A gesture ended (or the lock changed) with the photo at `size`: the record takes the size
    // and, unless the pin stands away from its place untouched, the window's place; a finer photo
    // is decoded when the pin grew past it, and the state is saved.
    void gestureEnded(Pin& pin, QSizeF size);
    // Photos shown coarser than their pins' size on the screens that show them are decoded again.
    void decodeFinerWhereNeeded(const std::vector<Pin*>& pins);
    std::vector<Pin*> shownPins() const;
    void restoreOne(Pin& pin, std::size_t index, const std::optional<std::string>& location,
                    DecodeQueue::Result photo);
    void removePin(Pin* pin);
    // Closes the windows of `pins` (unlisted already), saves, and keeps them for an undo.
    void removed(const std::vector<std::pair<std::unique_ptr<Pin>, std::size_t>>& pins);

    PinSaver saver_;
    std::vector<std::unique_ptr<Pin>> pins_;  // in the state file's order
    RemovedPins removed_;
    bool toldPlacedByWindowManager_ = false;
    std::uint64_t nextSerial_ = 0;
    // Last, so that it goes first: no decode comes back to a board being torn down.
    DecodeQueue decoding_;
};

}  // namespace corkwallery
