#pragma once

#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/DroppedFiles.h"
#include "pins/RemovedPins.h"
#include "platform/Result.h"
#include "store/PinnedPhotoState.h"
#include "store/StateStore.h"

namespace corkwallery {

class DraggableImageView;
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
    // The longer side of a new photo, in points, and the greatest tilt, in radians (8 degrees).
    static constexpr double kLongerSide = 300;
    static constexpr double kMaximumTilt = 0.13962634015954636;

    explicit PinBoard(QObject* parent = nullptr);
    ~PinBoard() override;

    // The windows of the pins shown, in the pins' order.
    std::vector<PinWindow*> pinWindows() const;

    // Reads the state file and makes a pin window for every record whose copy loads, with the
    // log lines "restorePinnedPhotos() — <n> state(s) to restore", and per record "[<i>] Loading
    // from container: <path>", then "[<i>] Image loaded: (<w>, <h>)" and "[<i>] Window restored
    // successfully", or "[<i>] ERROR: failed to load image from <path>" (and for a held record a
    // line saying why it is kept). Then brings pins that no screen shows back.
    void restorePinnedPhotos();

    // Why a file was not pinned.
    enum class Failure { NotAPicture, TooLarge, Unreadable, CopyFailed };

    // Pins each file as "Add Photo" does: decoded at the pin's size (several at once, on worker
    // threads), copied into the images folder, a random tilt within ±8° and one of the four
    // colours, its longer side 300 points. One photo is centred at `at` (screen points), by
    // default the main screen's centre; several stand side by side around it (see
    // PinPlacement::sideBySide). Lines, copies and windows follow the files' order. Per file: none
    // when pinned, or why not (after its log lines).
    std::vector<std::optional<Failure>> addPhotos(const std::vector<std::string>& paths,
                                                  std::optional<QPointF> at = std::nullopt);
    bool addPhoto(const std::string& path) { return !addPhotos({path}).front(); }

    // Removes the pin whose window shows `view`: closes and unlists the window, saves, and only
    // when that save succeeded moves its copy to the Trash. A view that no pin's window shows is
    // ignored.
    void handleRemovePhoto(const DraggableImageView* view);
    // Removes every pin, held records included, the same way; saves even when there is none.
    void removeAllPhotos();
    // Brings back the pins of the latest removal not yet undone: their records as they were, at
    // their places among the pins, their copies taken back from the Trash, and saves once. Logs
    // "Undo remove — <n> pin(s) to bring back", per pin "[<i>] Taken back: <copy path>" and
    // "[<i>] Window restored successfully" (i its place among the pins), or why it cannot be.
    void undoRemove();
    bool canUndoRemove() const { return !removed_.isEmpty(); }

    // Writes the state file from the records, with the lines "saveState() called — <n>
    // window(s)", per pin shown "window <i>: saved — stored=<name>, center=(<x>, <y>)", per held
    // record "held <i>: kept unchanged — stored=<name>", during the launch "<k> record(s) not
    // restored yet — kept unchanged", then the store's own lines.
    platform::Result<std::size_t> saveState();
    std::vector<PinnedPhotoState> loadState();

    // Shows every pin of whose place no screen shows at least 48 x 48 points on the nearest
    // screen, clear of the other pins, logging "Brought pin <i> back on screen: center=(<x>,
    // <y>)", and every pin shown away whose place is seen again back there, logging "Returned
    // pin <i> to its place: center=(<x>, <y>)". Saves nothing: the records keep the places.
    void bringPinsOnScreen();

    // The photo chosen size rule: longer side 300 points, the aspect of `naturalSize`; a square
    // takes the portrait branch.
    static QSizeF baseSize(QSizeF naturalSize);

signals:
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
    // Builds the pin's window centred on the main screen, fits it to the tilted photo, moves its
    // centre to the record's, shows it, emits pinWindowCreated and saves.
    void createPinWindow(Pin& pin);
    void showPin(Pin& pin);
    // A gesture ended or the lock changed: the record takes the view's size and lock and, unless
    // the pin stands away from its place untouched, the window's place, a finer photo is decoded
    // when the pin grew past it, and the state is saved.
    void pinStateChanged(Pin& pin);
    // Photos shown coarser than their pins' size on the screens that show them are decoded again.
    void decodeFinerWhereNeeded(const std::vector<Pin*>& pins);
    std::vector<Pin*> shownPins() const;
    void removePin(Pin* pin);
    // Closes the windows of `pins` (unlisted already), saves, and keeps them for an undo.
    void removed(const std::vector<std::pair<std::unique_ptr<Pin>, std::size_t>>& pins);
    void noteSaveOutcome(const platform::Result<std::size_t>& outcome);

    StateStore store_;
    std::vector<std::unique_ptr<Pin>> pins_;  // in the state file's order
    RemovedPins removed_;
    bool toldPlacedByWindowManager_ = false;
    bool savesFailing_ = false;
    QTimer saveAgain_;
};

}  // namespace corkwallery
