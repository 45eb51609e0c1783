#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QtMath>
#include <memory>
#include <tuple>

#include "desktop/DraggableImageView.h"
#include "desktop/PinColors.h"
#include "platform/ScreenCoordinates.h"
#include "support/Polling.h"

namespace corkwallery {
namespace {

using namespace PhotoGeometry;

// The view in a pin window of its own: an exact frame in screen points and a margin around it,
// which the view fills.
class PhotoView : public ::testing::Test, public DraggableImageView::Window {
protected:
    QRectF frame() const override { return frame_; }
    void setFrameSizeKeepingCenter(QSizeF size) override {
        frame_ = QRectF(frame_.center() - QPointF(size.width(), size.height()) / 2, size);
        view->resize(qCeil(size.width() + 2 * margin_), qCeil(size.height() + 2 * margin_));
    }
    void setFrameOrigin(QPointF origin) override { frame_.moveTopLeft(origin); }
    double drawingMargin() const override { return margin_; }
    void setDrawingMargin(double points) override { margin_ = points; }
    void drawnShapeChanged() override { ++shapeChanges; }

    // Centred on (720, 450), where the tests press.
    void open(QSizeF photo = {300, 200}, double angle = 0, bool locked = false) {
        view = std::make_unique<DraggableImageView>(photo);
        frame_ = QRectF(720, 450, 0, 0);
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        view->setImage(picture, {60, 40});
        view->setLocked(locked);
        view->setHostWindow(this);
        view->fitWindowToPhoto(photo, angle);
        changes = 0;
        QObject::connect(view.get(), &DraggableImageView::gestureEnded, [&] { ++changes; });
    }
    void send(QEvent::Type type, QPointF at, Qt::KeyboardModifiers modifiers = {}) {
        const auto button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const auto held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(1, 1), platform::screen::toQt(at), button, held, modifiers);
        QApplication::sendEvent(view.get(), &event);
    }
    // The widget point at (u, v) from the photo's centre along its own turned axes (v up).
    QPoint widgetPoint(double u, double v) const {
        const double t = view->rotationAngle();
        return {qRound(margin_ + frame_.width() / 2 + u * std::cos(t) - v * std::sin(t)),
                qRound(margin_ + frame_.height() / 2 + 9 - u * std::sin(t) - v * std::cos(t))};
    }
    int alphaAt(double u, double v) { return qAlpha(view->rendering().pixel(widgetPoint(u, v))); }

    QRectF frame_;
    double margin_ = 0;
    std::unique_ptr<DraggableImageView> view;
    int shapeChanges = 0, changes = 0;
};

// Each gesture: a press, with Option or not, a move halfway with Alt held, the rest without it,
// and the release. Option is read at the press only: a drag keeps the grab point under the
// pointer, a resize scales about the centre by the horizontal travel (however far left), keeping
// the aspect and a smallest side of 50 points. A locked photo stays as it is. Every gesture
// reports once.
TEST_F(PhotoView, GesturesMoveOrResizeUnlessLocked) {
    // Option, locked; the photo's size before and after, the pointer's travel and the frame's.
    const std::tuple<Qt::KeyboardModifier, bool, QSizeF, QSizeF, QPointF, QPointF> cases[] = {
        {Qt::NoModifier, false, {300, 200}, {300, 200}, {100, 50}, {100, 50}},
        {Qt::AltModifier, true, {300, 200}, {300, 200}, {100, 0}, {0, 0}},
        {Qt::AltModifier, false, {300, 200}, {450, 300}, {100, 0}, {0, 0}},
        {Qt::AltModifier, false, {300, 200}, {300, 200}, {0, 120}, {0, 0}},
        {Qt::ShiftModifier, false, {300, 200}, {75, 50}, {-400, 0}, {0, 0}},
        {Qt::ShiftModifier, false, {200, 300}, {50, 75}, {-400, 0}, {0, 0}},
    };
    for (const auto& [option, locked, start, size, travel, moved] : cases) {
        open(start, 0.1, locked);
        const QPointF centre = frame_.center(), press(700, 500);
        send(QEvent::MouseButtonPress, press, option);
        send(QEvent::MouseMove, press + travel / 2, Qt::AltModifier);
        send(QEvent::MouseMove, press + travel);
        send(QEvent::MouseButtonRelease, press + travel);
        SCOPED_TRACE(::testing::Message() << option << " " << locked << " " << travel.x());
        EXPECT_EQ(std::tuple(view->baseImageSize(), frame_.size(), frame_.center(), changes),
                  std::tuple(size, windowSize(size, 0.1), centre + moved, 1));
    }
}

// A drag lifts the photo (not the pin) into the window's margin and sets it down after; moving
// the window draws nothing anew. Without a compositor the drawing and the clicks are cut to the
// photo and its pin, and the window hears of the cut (the shadow, and the cut window's pixels,
// opaque inside and clear outside: e2e.compositors). A new pin colour shows once the pin is drawn
// again.
TEST_F(PhotoView, DrawsLiftedWhileDraggedAndCutWithoutACompositor) {
    open({300, 200}, 0.1);
    const auto lifted = [&] { return alphaAt(-50, 103) == 255 && alphaAt(-153, 0) == 255; };
    send(QEvent::MouseButtonPress, {720, 450});
    EXPECT_TRUE(testing::waitUntil([&] { return view->lift() == liftedScale; }) && lifted());
    const qint64 rendering = view->rendering().cacheKey();
    send(QEvent::MouseMove, {730, 440});
    EXPECT_EQ(view->rendering().cacheKey(), rendering);
    send(QEvent::MouseButtonRelease, {730, 440});
    EXPECT_TRUE(testing::waitUntil([&] { return view->lift() == 1.0; }) && !lifted());

    shapeChanges = 0;
    view->setCompositing(false);
    EXPECT_GT(shapeChanges, 0);
    const QRegion cut = view->drawnRegion(), hit = view->hitRegion();
    // Both clicks and pixels land on the turned photo and its pin, not beside their corners, and
    // the cut rounds the photo's corners.
    for (const QPoint p : {widgetPoint(146, 96), widgetPoint(-146, -96), widgetPoint(0, 112)})
        EXPECT_TRUE(hit.contains(p) && cut.contains(p)) << p.x() << "," << p.y();
    for (const QPoint p : {widgetPoint(154, 0), widgetPoint(-40, 108), widgetPoint(0, -105)})
        EXPECT_FALSE(hit.contains(p) || cut.contains(p)) << p.x() << "," << p.y();
    EXPECT_FALSE(cut.contains(widgetPoint(149, 99)));
    view->setPinColorName("blue");
    view->renderPinImage();
    EXPECT_EQ(view->rendering().pixel(widgetPoint(0, 112)), pinColor("blue").rgb());
}

}  // namespace
}  // namespace corkwallery
