#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/Result.h"
#include "store/PinnedPhotoState.h"
#include "store/StateStore.h"

namespace corkwallery {

struct Pin;

// Writes the pins' records to the state file, and says when saves start failing and when they
// work again; while they fail, asks for one more save a minute after the last.
class PinSaver final : public QObject {
    Q_OBJECT
public:
    PinSaver();

    // Writes the records of `pins` in their order, with the lines "saveState() called — <n>
    // window(s)", per pin shown "window <i>: saved — stored=<name>, center=(<x>, <y>)", per held
    // record "held <i>: kept unchanged — stored=<name>", during the launch "<k> record(s) not
    // restored yet — kept unchanged", then the store's own lines.
    platform::Result<std::size_t> save(const std::vector<std::unique_ptr<Pin>>& pins);
    std::vector<PinnedPhotoState> load() { return store_.loadState(); }

signals:
    // A save failed after the last one succeeded, and why; the first that succeeds again.
    void savingFailed(const QString& reason);
    void savingResumed();
    // A minute after a failed save: time to try again.
    void saveDue();

private:
    StateStore store_;
    bool failing_ = false;
    QTimer again_;
};

}  // namespace corkwallery
