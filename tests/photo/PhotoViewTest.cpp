#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QtMath>
#include <memory>

#include "photo/DraggableImageView.h"
#include "photo/PinColors.h"
#include "platform/ScreenCoordinates.h"
#include "support/Polling.h"

namespace corkwallery {
namespace {

using namespace PhotoGeometry;
using testing::waitUntil;

struct FitCase {
    QSizeF photo;
    double angle;
    QSizeF window;
    QRectF photoRect;  // in the window, before it is turned
    QPointF pin;       // the pin square's origin
};

class PhotoFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(PhotoFit, SizesTheWindowAndPlacesPhotoAndPin) {
    const FitCase& c = GetParam();
    EXPECT_EQ(windowSize(c.photo, c.angle), c.window);
    EXPECT_EQ(photoFrame(c.window, c.photo), c.photoRect);
    const QRectF pin = pinFrame(c.window, c.photo, c.angle);
    EXPECT_NEAR(pin.x(), c.pin.x(), 0.0005);
    EXPECT_NEAR(pin.y(), c.pin.y(), 0.0005);
    EXPECT_EQ(pin.size(), QSizeF(24, 24));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PhotoFit,
    ::testing::Values(
        FitCase{{300, 200}, 0.0, {300, 218}, {0, 0, 300, 200}, {138, 192}},
        FitCase{{300, 200}, 0.1, {319, 247}, {9.5, 14.5, 300, 200}, {137.517, 206.000}},
        FitCase{{300, 200}, -0.1, {319, 247}, {9.5, 14.5, 300, 200}, {157.483, 206.000}},
        FitCase{
            {200, 300}, 0.13962634015954636, {240, 343}, {20, 12.5, 200, 300}, {87.124, 303.040}},
        // An absurd size asks for no absurd window.
        FitCase{{1e7, 50}, 0.0, {8192, 68}, {-4995904, 0, 1e7, 50}, {4084, 42}}));

// What the view needs of its pin window: an exact frame in screen points and a margin around it,
// which the view fills.
struct FakeWindow final : DraggableImageView::Window {
    QRectF frame() const override { return frame_; }
    void setFrameSizeKeepingCenter(QSizeF size) override {
        frame_ = QRectF(frame_.center() - QPointF(size.width(), size.height()) / 2, size);
        view->resize(qCeil(size.width() + 2 * margin_), qCeil(size.height() + 2 * margin_));
    }
    void setFrameOrigin(QPointF origin) override { frame_.moveTopLeft(origin); }
    double drawingMargin() const override { return margin_; }
    void setDrawingMargin(double points) override { margin_ = points; }
    void drawnShapeChanged() override { ++shapeChanges; }

    QRectF frame_;
    double margin_ = 0;
    int shapeChanges = 0;
    DraggableImageView* view = nullptr;
};

class PhotoView : public ::testing::Test {
protected:
    // Centred on (720, 450), where the tests press.
    void open(QSizeF photo = {300, 200}, double angle = 0, bool locked = false) {
        view = std::make_unique<DraggableImageView>(photo);
        window.view = view.get();
        window.frame_ =
            QRectF(QPointF(720, 450) - QPointF(photo.width(), photo.height()) / 2, photo);
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        view->setImage({picture, {60, 40}});
        view->setLocked(locked);
        view->setHostWindow(&window);
        view->fitWindowToPhoto(photo, angle);
        QObject::connect(view.get(), &DraggableImageView::pinStateDidChange, [&] { ++changes; });
    }
    void send(QEvent::Type type, QPointF at, Qt::KeyboardModifiers modifiers = {}) {
        const auto button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const auto held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(1, 1), platform::screen::toQt(at), button, held, modifiers);
        QApplication::sendEvent(view.get(), &event);
    }
    // The widget point at (u, v) from the photo's centre along its own turned axes (v up).
    QPoint widgetPoint(double u, double v) const {
        const double t = view->rotationAngle(), m = window.margin_;
        return QPointF(m + window.frame_.width() / 2 + u * std::cos(t) - v * std::sin(t),
                       m + window.frame_.height() / 2 + 9 - u * std::sin(t) - v * std::cos(t))
            .toPoint();
    }
    int alphaAt(double u, double v) { return qAlpha(view->rendering().pixel(widgetPoint(u, v))); }
    // Right-clicks the photo and, while its menu runs, reads the titles and picks item `choose`.
    QStringList rightClick(int choose) {
        QStringList titles;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            for (QAction* action : menu->actions())
                titles << (action->isSeparator() ? "-" : action->text());
            menu->actions().at(choose)->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(720, 450));
        QApplication::sendEvent(view.get(), &event);
        return titles;
    }

    FakeWindow window;
    std::unique_ptr<DraggableImageView> view;
    int changes = 0;
};

// Each gesture: a press, with Option or not, a move halfway with Alt held, the rest without it,
// and the release. Option is read at the press only: a drag keeps the grab point under the
// pointer, a resize scales about the centre by the horizontal travel, keeping the aspect and a
// smallest side of 50 points. A locked photo stays as it is. Every gesture reports once.
TEST_F(PhotoView, GesturesMoveOrResizeUnlessLocked) {
    struct {
        Qt::KeyboardModifier option;
        bool locked;
        QSizeF start;
        QPointF travel;
        QSizeF size;
        QPointF moved;  // the frame's centre
    } const cases[] = {
        {Qt::NoModifier, false, {300, 200}, {100, 50}, {300, 200}, {100, 50}},
        {Qt::NoModifier, false, {300, 200}, {0, 0}, {300, 200}, {0, 0}},
        {Qt::NoModifier, true, {300, 200}, {100, 50}, {300, 200}, {0, 0}},
        {Qt::AltModifier, true, {300, 200}, {100, 0}, {300, 200}, {0, 0}},
        {Qt::AltModifier, false, {300, 200}, {100, 0}, {450, 300}, {0, 0}},
        {Qt::ShiftModifier, false, {300, 200}, {-150, 0}, {75, 50}, {0, 0}},
        {Qt::AltModifier, false, {300, 200}, {-180, 0}, {75, 50}, {0, 0}},
        {Qt::ShiftModifier, false, {300, 200}, {-400, 0}, {75, 50}, {0, 0}},
        {Qt::AltModifier, false, {300, 200}, {0, 120}, {300, 200}, {0, 0}},
        {Qt::ShiftModifier, false, {200, 300}, {-400, 0}, {50, 75}, {0, 0}},
        {Qt::AltModifier, false, {100, 100}, {-400, 0}, {50, 50}, {0, 0}},
        {Qt::ShiftModifier, false, {100, 100}, {1000, 0}, {600, 600}, {0, 0}},
    };
    for (const auto& c : cases) {
        open(c.start, 0.1, c.locked);
        const QPointF centre = window.frame_.center();
        send(QEvent::MouseButtonPress, {700, 500}, c.option);
        send(QEvent::MouseMove, QPointF(700, 500) + c.travel / 2, Qt::AltModifier);
        send(QEvent::MouseMove, QPointF(700, 500) + c.travel);
        send(QEvent::MouseButtonRelease, QPointF(700, 500) + c.travel);
        SCOPED_TRACE(::testing::Message() << c.option << " " << c.locked << " " << c.travel.x());
        EXPECT_NEAR(view->baseImageSize().width(), c.size.width(), 1e-9);
        EXPECT_NEAR(view->baseImageSize().height(), c.size.height(), 1e-9);
        EXPECT_EQ(window.frame_.size(), windowSize(c.size, 0.1));
        EXPECT_EQ(window.frame_.center(), centre + c.moved);
        EXPECT_EQ(changes, 1);
        changes = 0;
    }
}

// A drag lifts the photo (not the pin) into the window's margin and sets it down after; moving
// the window draws nothing anew.
TEST_F(PhotoView, DragLiftsThePhotoAndSetsItDown) {
    open();
    const auto liftedEdgesShow = [&] {
        return alphaAt(-50, 103) == 255 && alphaAt(-153, 0) == 255;
    };
    EXPECT_FALSE(liftedEdgesShow());
    send(QEvent::MouseButtonPress, {720, 450});
    EXPECT_TRUE(waitUntil([&] { return view->lift() == liftedScale; }));
    EXPECT_TRUE(liftedEdgesShow());
    const qint64 rendering = view->rendering().cacheKey();
    send(QEvent::MouseMove, {730, 440});
    EXPECT_EQ(view->rendering().cacheKey(), rendering);
    send(QEvent::MouseButtonRelease, {730, 440});
    EXPECT_TRUE(waitUntil([&] { return view->lift() == 1.0; }));
    EXPECT_FALSE(liftedEdgesShow());
}

// With a compositor the photo casts a soft shadow; without one the drawing is cut to the photo
// and its pin, opaque inside the cut and clear outside, and the window hears of the cut.
TEST_F(PhotoView, ShadowedWithACompositorCutAndOpaqueWithout) {
    open({300, 200}, 0.1);
    EXPECT_GT(alphaAt(0, -105), 25);
    EXPECT_LT(alphaAt(0, -105), 90);
    const int shapeChanges = window.shapeChanges;
    view->setCompositing(false);
    EXPECT_GT(window.shapeChanges, shapeChanges);
    const QImage image = view->rendering();
    const QRegion cut = view->drawnRegion();
    // Both clicks and pixels land on the turned photo and its pin, not beside their corners, and
    // the cut rounds the photo's corners.
    const QRegion hit = view->hitRegion();
    for (const QPoint p : {widgetPoint(146, 96), widgetPoint(-146, -96), widgetPoint(0, 112)})
        EXPECT_TRUE(hit.contains(p) && cut.contains(p)) << p.x() << "," << p.y();
    for (const QPoint p : {widgetPoint(154, 0), widgetPoint(-40, 108), widgetPoint(0, -105)})
        EXPECT_FALSE(hit.contains(p) || cut.contains(p)) << p.x() << "," << p.y();
    EXPECT_FALSE(cut.contains(widgetPoint(149, 99)));
    int stray = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            stray += qAlpha(image.pixel(x, y)) != (cut.contains(QPoint(x, y)) ? 255 : 0);
    EXPECT_EQ(stray, 0);
    for (const auto& [name, drawnAs] : {std::pair{"blue", "blue"}, {"Red", "red"}}) {
        view->setPinColorName(name);
        view->renderPinImage();
        EXPECT_EQ(view->rendering().pixel(widgetPoint(0, 112)), pinColor(drawnAs).rgb()) << name;
    }
}

TEST_F(PhotoView, MenuNamesTheNextLockStateAndRemovalOnlyAsks) {
    open();
    EXPECT_EQ(rightClick(0), QStringList({"Lock Photo", "-", "Remove Photo"}));
    EXPECT_EQ(rightClick(0), QStringList({"Unlock Photo", "-", "Remove Photo"}));
    EXPECT_FALSE(view->isLocked());
    EXPECT_EQ(changes, 2);
    // The receiver may drop the view before the emit returns.
    QObject::connect(view.get(), &DraggableImageView::removePhoto, [&] { view.reset(); });
    rightClick(2);
    EXPECT_EQ(view, nullptr);
}

}  // namespace
}  // namespace corkwallery
