#pragma once

#include <QObject>
#include <array>
#include <memory>

class QSocketNotifier;

namespace corkwallery::platform {

// Turns SIGTERM, SIGINT and SIGHUP into one Qt signal on the main thread (a self-pipe read by a
// socket notifier), so that a signal ends the program the same way "Quit" does. A hang-up or
// interrupt that the parent set to be ignored (nohup, a background job) stays ignored. The
// previous handlers come back when the object goes. One object per process.
class UnixSignals final : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

signals:
    void terminationRequested();

private:
    class Handlers;
    std::unique_ptr<Handlers> handlers_;
};

}  // namespace corkwallery::platform
