#pragma once

#include <QImage>
#include <QRectF>
#include <QWidget>

namespace corkwallery {

// A small desktop window drawn as a dark rounded card: borderless and translucent, at desktop
// level like the pins (on every workspace, out of taskbar, pager and switcher, never focused).
// With a compositor it casts a soft shadow into a margin around the card; without one it is cut to
// the rounded card and drawn opaque. Its children (labels, buttons) lie on the card. A click on
// the card itself emits clicked().
class DesktopCard : public QWidget {
    Q_OBJECT
public:
    // A hidden card of `cardSize` points with this corner radius and background opacity.
    DesktopCard(QSizeF cardSize, double cornerRadius, double backgroundAlpha);
    ~DesktopCard() override;

    // The card's rectangle in screen points (y up); the native window has the margin around it.
    QRectF frame() const { return frame_; }
    void setFrame(const QRectF& frame);
    // Where children go: the card's own rectangle inside the window.
    QRect cardRect() const;

    // Shows the card without activating it, marking it part of the desktop while unmapped.
    void orderFront();

signals:
    void clicked();

public slots:
    void setCompositing(bool compositing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QRectF frame_;
    double cornerRadius_;
    double backgroundAlpha_;
    bool compositing_ = true;
    QImage background_;  // the card over its shadow, kept while size and compositor stay
};

}  // namespace corkwallery
