#pragma once

#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QWidget>
#include <string_view>

#include "photo/SymbolArt.h"

namespace corkwallery {

// A small desktop window drawn as a dark rounded card: borderless and translucent, at desktop
// level like the pins (on every workspace, out of taskbar, pager and switcher, never focused).
// With a compositor it casts a soft shadow into a margin around the card; without one it is cut to
// the rounded card and drawn opaque. Its children (labels, buttons) lie on the card. A click on
// the card itself emits clicked(). Only its owner closes it: a close the window manager asks for
// is refused, as the owner would not know.
class DesktopCard : public QWidget {
    Q_OBJECT
public:
    // A hidden card of `cardSize` points with this corner radius and background opacity; one that
    // casts no shadow keeps no margin.
    DesktopCard(QSizeF cardSize, double cornerRadius, double backgroundAlpha,
                bool castsShadow = true);
    ~DesktopCard() override;

    // The card's rectangle in screen points (y up); the native window has the margin around it.
    QRectF frame() const { return frame_; }
    void setFrame(const QRectF& frame);
    // Where children go: the card's own rectangle inside the window.
    QRect cardRect() const;

    // Shows the card without activating it, marking it part of the desktop while unmapped.
    void orderFront();

    // A symbol of ours at its natural size for `pointSize`, centred in `box` points (and shrunk
    // to fit), in `color`, for a screen of `ratio` device pixels per point.
    static QPixmap symbolPicture(std::string_view name, double pointSize, SymbolArt::Weight weight,
                                 const QColor& color, QSizeF box, qreal ratio);

signals:
    void clicked();

public slots:
    void setCompositing(bool compositing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    double margin() const;
    // The rounded card alone, on a transparent window-sized image.
    QImage drawCard(qreal ratio) const;
    void updateMask();

    QRectF frame_;
    double cornerRadius_;
    double backgroundAlpha_;
    bool castsShadow_;
    bool compositing_ = true;
    bool justMapped_ = false;
    QImage background_;  // the card over its shadow, kept while size and compositor stay
};

}  // namespace corkwallery
