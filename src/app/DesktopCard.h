#pragma once

#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <string_view>

#include "desktop/DesktopWindow.h"
#include "desktop/SymbolArt.h"

namespace corkwallery {

// A small desktop window drawn as a dark rounded card, at desktop level like the pins. With a
// compositor it casts a soft shadow into a margin around the card; without one it is cut to the
// rounded card and drawn opaque. Its children (labels, buttons) lie on the card. A click on the
// card itself emits clicked().
class DesktopCard : public DesktopWindow {
    Q_OBJECT
public:
    // A hidden card of `cardSize` points with this corner radius and background opacity; one that
    // casts no shadow keeps no margin.
    DesktopCard(QSizeF cardSize, double cornerRadius, double backgroundAlpha,
                bool castsShadow = true, Focus focus = Focus::Refused);
    ~DesktopCard() override;

    // The card's rectangle in screen points (y up); the native window has the margin around it.
    void setFrame(const QRectF& frame);
    // Where children go: the card's own rectangle inside the window.
    QRect cardRect() const;

    // A symbol of ours at its natural size for `pointSize`, centred in `box` points (and shrunk
    // to fit), in `color`, for a screen of `ratio` device pixels per point.
    static QPixmap symbolPicture(std::string_view name, double pointSize, SymbolArt::Weight weight,
                                 const QColor& color, QSizeF box, qreal ratio);

signals:
    void clicked();

protected:
    QRegion inputShape() const override { return cardRect(); }
    QRegion visibleShape() const override;
    void compositingChanged() override { background_ = QImage(); }
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The rounded card alone, on a transparent window-sized image.
    QImage drawCard(qreal ratio) const;

    double cornerRadius_;
    double backgroundAlpha_;
    bool castsShadow_;
    QImage background_;  // the card over its shadow, kept while size and compositor stay
};

}  // namespace corkwallery
