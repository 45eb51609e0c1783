#pragma once

#include <QObject>

class QScreen;
class QTimer;

namespace corkwallery {

// Screens change in bursts: a monitor unplugged moves and resizes the others, a new scale comes
// as a resolution and then a DPI change (xrandr, then Xft/DPI through XSETTINGS), on Wayland as a
// new pixel ratio of the windows on that output, with a new size in points or none (a mode twice
// as large at scale 2). Tells whether a burst is under way and, once no change has come for a
// moment, that it has settled. In between, Qt and the window manager move and resize windows on
// their own, and the geometry windows report is nobody's choice.
class ScreenChanges final : public QObject {
    Q_OBJECT
public:
    // How long screens must stay unchanged to count as settled.
    static constexpr int kSettleMs = 400;

    // The process's one watch, made at first use (on the main thread, once the QGuiApplication
    // exists) and gone with the application.
    static ScreenChanges& instance();

    bool isChanging() const;
    // A change: a burst goes on, or begins. Also for what Qt tells of no screen (a layer surface
    // the compositor closed).
    void changed();

signals:
    void settled();

private:
    explicit ScreenChanges(QObject* parent);
    void follow(QScreen* screen);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QTimer* settling_;  // a child
};

}  // namespace corkwallery
