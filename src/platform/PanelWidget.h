#pragma once

#include <QWidget>

namespace corkwallery::platform {

class Panel;

// The native top-level window of a Panel.
class PanelWidget final : public QWidget {
public:
    explicit PanelWidget(Panel* panel);
    void detach() { panel_ = nullptr; }
    // Where the panel last placed the window, to tell its own moves from the window manager's.
    void setPlacedPosition(QPoint position) { placed_ = position; }
    void allowClose(bool allow) { closeAllowed_ = allow; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Panel* panel_;
    QPoint placed_;
    bool closeAllowed_ = false;
};

}  // namespace corkwallery::platform
