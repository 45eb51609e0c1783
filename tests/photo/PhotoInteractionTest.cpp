#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "photo/DraggableImageView.h"
#include "platform/CompositorWatch.h"
#include "platform/EventInjection.h"
#include "platform/ImageImpl.h"
#include "platform/Menu.h"
#include "platform/Panel.h"
#include "platform/PanelWidget.h"
#include "support/Polling.h"

namespace corkwallery {
namespace {

using platform::MouseAction;
using platform::NotificationCenter;
using platform::Panel;
using platform::Point;
using platform::Rect;
using platform::Size;
using testing::waitUntil;

// Counts the view's notifications on the default centre.
class NotificationLog {
public:
    NotificationLog() {
        for (const auto* name :
             {&DraggableImageView::pinStateDidChange(), &DraggableImageView::removePhoto()}) {
            NotificationCenter::defaultCenter().addObserver(
                this, *name, nullptr, [this](const auto& n) {
                    posts.push_back({n.name.text(), n.object});
                });
        }
    }
    ~NotificationLog() { NotificationCenter::defaultCenter().removeObserver(this); }
    int count(const std::string& name) const {
        int c = 0;
        for (const auto& p : posts)
            c += p.first == name;
        return c;
    }
    std::vector<std::pair<std::string, const void*>> posts;
};

class PhotoInteraction : public ::testing::Test {
protected:
    void open(Size photo, double angle = 0, bool locked = false) {
        // Centred on (720, 450), where the tests press.
        panel = std::make_unique<Panel>(
            Rect(720 - photo.width / 2, 450 - photo.height / 2, photo.width, photo.height));
        panel->setOpaque(false);
        panel->setBackgroundColor(platform::Color::clear());
        auto owned = std::make_unique<DraggableImageView>(Rect({0, 0}, photo));
        view = owned.get();
        QImage pixels(60, 40, QImage::Format_ARGB32);
        pixels.fill(Qt::darkGreen);
        const auto image = platform::imageFromQImage(pixels);
        view->setImage(image);
        view->imageLayer().setContents(image);
        view->setLocked(locked);
        panel->setContentView(std::move(owned));
        view->fitWindowToPhoto(photo, angle);
        panel->orderFront();
    }
    void send(MouseAction action, Point at, unsigned modifiers = 0) {
        platform::sendMouseEvent(*view, action, at, modifiers);
    }
    double scale() const { return view->imageLayer().presentationScale(); }
    // The window's pixel at (u, v) from the photo's centre, along the photo's own turned axes
    // (v up).
    QPoint windowPoint(double u, double v) const {
        const double m = panel->drawingMargin();
        const double t = view->rotationAngle();
        const double cx = m + panel->frame().width() / 2;
        const double cy = m + panel->frame().height() / 2 + DraggableImageView::pinOverhang / 2;
        return QPointF(cx + u * std::cos(t) - v * std::sin(t),
                       cy - (u * std::sin(t) + v * std::cos(t)))
            .toPoint();
    }
    bool takesClickAt(double u, double v) const {
        return panel->widget()->hitShape().contains(windowPoint(u, v));
    }
    // The whole window as it draws itself, before any mask cuts it.
    QImage shown() const {
        QWidget* widget = panel->widget();
        QImage out(widget->size(), QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        widget->render(&out, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::IgnoreMask);
        return out;
    }

    std::unique_ptr<Panel> panel;
    DraggableImageView* view = nullptr;
    NotificationLog log;
};

TEST_F(PhotoInteraction, DragKeepsTheGrabPointUnderThePointer) {
    open({300, 200});
    panel->setFrameOrigin({450, 380});
    send(MouseAction::LeftDown, {500, 400});
    send(MouseAction::LeftDragged, {600, 450});
    EXPECT_EQ(panel->frame().origin, (Point{550, 430}));
    send(MouseAction::LeftDragged, {610, 455});  // after the window moved: no double counting
    EXPECT_EQ(panel->frame().origin, (Point{560, 435}));
    EXPECT_EQ(log.count("pinStateDidChange"), 0);
    send(MouseAction::LeftUp, {610, 455});
    EXPECT_EQ(panel->frame(), Rect(560, 435, 300, 218));
    EXPECT_EQ(log.count("pinStateDidChange"), 1);
    EXPECT_FALSE(view->isDragging());
}

struct ResizeCase {
    Size start;
    double dx;
    double dy;
    Size expected;
};

class PhotoResize : public PhotoInteraction, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(PhotoResize, HorizontalTravelScalesAboutTheCentreKeepingTheAspect) {
    const ResizeCase& c = GetParam();
    for (unsigned modifier : {platform::ModifierOption, platform::ModifierShift}) {
        open(c.start, 0.1);
        const Point centre{panel->frame().midX(), panel->frame().midY()};
        send(MouseAction::LeftDown, {700, 500}, modifier);
        send(MouseAction::LeftDragged, {700 + c.dx / 2, 500 + c.dy / 2}, modifier);
        send(MouseAction::LeftDragged, {700 + c.dx, 500 + c.dy});  // modifier released mid-gesture
        EXPECT_NEAR(view->baseImageSize().width, c.expected.width, 1e-9);
        EXPECT_NEAR(view->baseImageSize().height, c.expected.height, 1e-9);
        const double w =
            std::ceil(c.expected.width * std::cos(0.1) + c.expected.height * std::sin(0.1));
        const double h =
            std::ceil(c.expected.width * std::sin(0.1) + c.expected.height * std::cos(0.1)) + 18;
        EXPECT_EQ(panel->frame().size, (Size{w, h}));
        const double u = c.expected.width / 2;
        const double v = c.expected.height / 2;
        EXPECT_TRUE(takesClickAt(u - 4, v - 4) && takesClickAt(-u + 4, -v + 4));
        EXPECT_FALSE(takesClickAt(u + 4, v - 4) || takesClickAt(-u + 4, -v - 4));
        EXPECT_DOUBLE_EQ(panel->frame().midX(), centre.x);
        EXPECT_DOUBLE_EQ(panel->frame().midY(), centre.y);
        EXPECT_EQ(view->imageLayer().animationForKey("pickUp"), nullptr);
        send(MouseAction::LeftUp, {700 + c.dx, 500 + c.dy});
        EXPECT_FALSE(view->isOptionResizing());
        EXPECT_EQ(view->imageLayer().animationForKey("pickUp"), nullptr);
    }
    EXPECT_EQ(log.count("pinStateDidChange"), 2);
}

INSTANTIATE_TEST_SUITE_P(Table, PhotoResize,
                         ::testing::Values(ResizeCase{{300, 200}, 100, 0, {450, 300}},
                                           ResizeCase{{300, 200}, -150, 0, {75, 50}},
                                           ResizeCase{{300, 200}, -180, 0, {75, 50}},
                                           ResizeCase{{300, 200}, -400, 0, {75, 50}},
                                           ResizeCase{{300, 200}, 0, 120, {300, 200}},
                                           ResizeCase{{300, 200}, 0, -120, {300, 200}},
                                           ResizeCase{{200, 300}, -400, 0, {50, 75}},
                                           ResizeCase{{100, 100}, -400, 0, {50, 50}},
                                           ResizeCase{{100, 100}, 1000, 0, {600, 600}}));

// Clicks reach the photo and the pin; the corners beside the tilted photo, the room above it
// beside the pin and the drawing margin let them through.
TEST_F(PhotoInteraction, TakesClicksOnlyOnTheTiltedPhotoAndThePin) {
    for (const double angle : {0.0, 0.1, -0.087}) {
        SCOPED_TRACE(angle);
        open({300, 200}, angle);
        EXPECT_TRUE(takesClickAt(0, 0));
        EXPECT_TRUE(takesClickAt(146, 96) && takesClickAt(-146, -96));
        EXPECT_TRUE(takesClickAt(0, 112));  // the pin, above the top edge
        EXPECT_FALSE(takesClickAt(154, 0) || takesClickAt(0, -104));
        EXPECT_FALSE(takesClickAt(-40, 108) || takesClickAt(40, 108));
        EXPECT_FALSE(panel->widget()->hitShape().contains(QPoint(1, 1)));
    }
}

// With a compositor the photo casts a soft shadow inside the window's margin. Without one,
// transparent pixels show black: the window is cut to what it draws and shows that opaque, with
// no shadow. It follows a compositor that comes or goes, and a resize.
TEST_F(PhotoInteraction, ShadowedWithACompositorAndCutToItsDrawingWithout) {
    open({300, 200}, 0.1);
    const platform::PanelWidget& window = *panel->widget();
    const QPoint belowPhoto = windowPoint(0, -100 - 5);
    const QPoint clear(1, 1);  // the window's corner, beyond the shadow's reach
    QImage image = shown();
    EXPECT_TRUE(window.mask().isEmpty());
    EXPECT_GT(image.pixelColor(belowPhoto).alpha(), 25);
    EXPECT_LT(image.pixelColor(belowPhoto).alpha(), 90);
    EXPECT_EQ(image.pixelColor(clear).alpha(), 0);

    platform::CompositorWatch::setProbe([] { return false; });
    for (const bool resized : {false, true}) {
        SCOPED_TRACE(resized);
        if (resized) {
            send(MouseAction::LeftDown, {700, 500}, platform::ModifierOption);
            send(MouseAction::LeftDragged, {800, 500});
        }
        const double u = view->baseImageSize().width / 2;
        const double v = view->baseImageSize().height / 2;
        image = shown();
        const QRegion mask = window.mask();
        // The photo to its edges, the pin; not the rounded corners, beside the pin or below.
        EXPECT_TRUE(mask.contains(windowPoint(0, 0)) && mask.contains(windowPoint(0, v + 4)));
        EXPECT_TRUE(mask.contains(windowPoint(u - 2, 0)) && mask.contains(windowPoint(0, -v + 2)));
        EXPECT_FALSE(
            mask.contains(windowPoint(u - 1, v - 1)) || mask.contains(windowPoint(u + 2, 0)) ||
            mask.contains(windowPoint(-40, v + 8)) || mask.contains(windowPoint(0, -v - 5)));
        int stray = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                stray += qAlpha(image.pixel(x, y)) != (mask.contains(QPoint(x, y)) ? 255 : 0);
        EXPECT_EQ(stray, 0);
    }
    platform::CompositorWatch::setProbe({});
    EXPECT_TRUE(window.mask().isEmpty());
}

TEST_F(PhotoInteraction, ModifierPressedMidDragStillMoves) {
    open({300, 200});
    panel->setFrameOrigin({100, 100});
    send(MouseAction::LeftDown, {150, 150});
    send(MouseAction::LeftDragged, {250, 150}, platform::ModifierOption);
    EXPECT_EQ(view->baseImageSize(), (Size{300, 200}));
    EXPECT_EQ(panel->frame().origin, (Point{200, 100}));
}

TEST_F(PhotoInteraction, LockedPhotoNeitherMovesNorAnimatesButStillReports) {
    open({300, 200}, 0, /*locked=*/true);
    const Rect before = panel->frame();
    send(MouseAction::LeftDown, {700, 450});
    EXPECT_EQ(view->imageLayer().animationForKey("pickUp"), nullptr);
    send(MouseAction::LeftDragged, {800, 500});
    send(MouseAction::LeftDown, {700, 450}, platform::ModifierOption);
    send(MouseAction::LeftDragged, {900, 450});
    send(MouseAction::LeftUp, {900, 450});
    EXPECT_EQ(panel->frame(), before);
    EXPECT_EQ(view->baseImageSize(), (Size{300, 200}));
    EXPECT_EQ(log.count("pinStateDidChange"), 1);
}

TEST_F(PhotoInteraction, PlainClickLiftsSetsDownAndReportsOnce) {
    open({300, 200});
    const Rect before = panel->frame();
    send(MouseAction::LeftDown, {720, 450});
    const auto* pickUp = view->imageLayer().animationForKey("pickUp");
    ASSERT_NE(pickUp, nullptr);
    EXPECT_EQ(pickUp->toValue, 1.05);
    send(MouseAction::LeftUp, {720, 450});
    const auto* putDown = view->imageLayer().animationForKey("pickUp");
    ASSERT_NE(putDown, nullptr);
    EXPECT_EQ(putDown->fromValue, 1.05);
    EXPECT_EQ(putDown->toValue, 1.0);
    EXPECT_EQ(panel->frame(), before);
    ASSERT_EQ(log.posts.size(), 1u);
    EXPECT_EQ(log.posts[0].second, view);
}

TEST_F(PhotoInteraction, MouseUpWithoutWindowStillReports) {
    DraggableImageView loose(Rect(0, 0, 100, 100));
    loose.mouseDown({{10, 10}, 0});
    EXPECT_FALSE(loose.isDragging());
    loose.mouseUp({{10, 10}, 0});
    ASSERT_EQ(log.posts.size(), 1u);
    EXPECT_EQ(log.posts[0].second, &loose);
}

// The photo stays lifted for the whole drag and settles back after mouse-up, on screen too.
TEST_F(PhotoInteraction, PhotoIsDrawnLiftedDuringTheDrag) {
    open({300, 200});
    panel->setFrameOrigin({100, 100});
    // Points just outside the resting photo: above its top edge, and left of the window's frame,
    // in the room the window keeps for the lifted photo.
    auto opaqueOutsidePhoto = [&] {
        QWidget* widget = panel->widget();
        QImage out(widget->size(), QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        widget->render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
        const int m = static_cast<int>(panel->drawingMargin());
        const bool above = out.pixelColor(m + 150, m + 218 - 203).alpha() == 255;
        const bool left = out.pixelColor(m - 3, m + 218 - 100).alpha() == 255;
        EXPECT_EQ(above, left);
        return above && left;
    };
    EXPECT_GT(panel->drawingMargin(), 7.5);  // 2.5 % of the 300-point side
    EXPECT_FALSE(opaqueOutsidePhoto());
    send(MouseAction::LeftDown, {150, 150});
    send(MouseAction::LeftDragged, {160, 150});
    EXPECT_TRUE(waitUntil([&] { return scale() == 1.05; }));
    send(MouseAction::LeftDragged, {170, 160});
    EXPECT_EQ(scale(), 1.05);
    EXPECT_TRUE(opaqueOutsidePhoto());
    send(MouseAction::LeftUp, {170, 160});
    EXPECT_TRUE(waitUntil([&] { return view->imageLayer().animationForKey("pickUp") == nullptr; }));
    EXPECT_EQ(scale(), 1.0);
    EXPECT_FALSE(opaqueOutsidePhoto());
}

class PhotoMenu : public PhotoInteraction {
protected:
    ~PhotoMenu() override { platform::Menu::setPopUpInterceptor(nullptr); }
    std::vector<std::string> titlesOnRightClick(std::optional<std::size_t> choose = std::nullopt) {
        std::vector<std::string> titles;
        platform::Menu::setPopUpInterceptor([&](platform::Menu& menu) {
            for (const auto& item : menu.items())
                titles.push_back(item.isSeparator ? "-" : item.title);
            if (choose)
                menu.performItem(*choose);
        });
        send(MouseAction::RightDown, {720, 450});
        return titles;
    }
};

TEST_F(PhotoMenu, LockToggleNamesTheNextActionAndReportsEachChange) {
    open({300, 200});
    using Titles = std::vector<std::string>;
    EXPECT_EQ(titlesOnRightClick(0), (Titles{"Lock Photo", "-", "Remove Photo"}));
    EXPECT_TRUE(view->isLocked());
    EXPECT_EQ(titlesOnRightClick(0), (Titles{"Unlock Photo", "-", "Remove Photo"}));
    EXPECT_FALSE(view->isLocked());
    EXPECT_EQ(log.count("pinStateDidChange"), 2);
    EXPECT_EQ(log.count("removePhoto"), 0);
}

TEST_F(PhotoMenu, RemovePhotoOnlyAsksTheController) {
    open({300, 200}, 0, /*locked=*/true);
    titlesOnRightClick(2);
    ASSERT_EQ(log.posts.size(), 1u);
    EXPECT_EQ(log.posts[0].first, "removePhoto");
    EXPECT_EQ(log.posts[0].second, view);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(view->isLocked());
}

// The controller drops the window while the view's menu action is still on the stack.
TEST_F(PhotoMenu, ControllerMayDestroyTheWindowDuringRemoval) {
    open({300, 200});
    NotificationCenter::defaultCenter().addObserver(
        this, DraggableImageView::removePhoto(), nullptr, [this](const auto&) { panel.reset(); });
    titlesOnRightClick(2);
    NotificationCenter::defaultCenter().removeObserver(this);
    EXPECT_EQ(panel, nullptr);
    EXPECT_TRUE(waitUntil([] { return true; }));
}

}  // namespace
}  // namespace corkwallery
