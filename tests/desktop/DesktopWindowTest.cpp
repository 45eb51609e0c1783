#include <gtest/gtest.h>

#include <QWindow>
#include <string>
#include <vector>

#include "desktop/PinWindow.h"
#include "platform/NullSurface.h"
#include "support/Polling.h"

namespace corkwallery {
namespace {

// Notes what the window asks of its surface, and whether it was mapped then; answers as a window
// manager and a compositor that can close the surface would.
class RecordingSurface final : public platform::NullSurface {
public:
    RecordingSurface(QWindow* window, std::vector<std::string>* log)
        : NullSurface(window), log_(log) {}

    void prepare(const QRect& geometry, Anchor anchor) override {
        note("prepare", geometry, anchor == Anchor::TopRight ? " right" : "");
    }
    void place(const QRect& geometry) override { note("place", geometry); }
    void setInputShape(const QRegion& region) override { note("shape", region.boundingRect()); }
    void keepAboveDesktop(bool mapped) override { note(mapped ? "above, mapped" : "above"); }
    void markFrameWithoutShadow() override { note("no shadow"); }
    bool isWindowManaged() const override { return true; }
    bool closedBySystem() override { return note("closed"); }

private:
    bool note(const std::string& what, QRect r = {}, const char* more = "") {
        const std::string where =
            r.isNull() ? ""
                       : QString::asprintf(" %d,%d %dx%d", r.x(), r.y(), r.width(), r.height())
                             .toStdString();
        log_->push_back((window()->isVisible() ? "" : "hidden ") + what + where + more);
        return true;
    }
    std::vector<std::string>* log_;
};

// The desktop states and shapes go on before the window maps; once it is mapped the shape again,
// the frame's mark, and (under a window manager) the place asked again with the size nudged and
// back. A new frame is placed; a close the window system made is refused and the surface placed
// again once the screens settle.
TEST(DesktopWindow, AsksItsSurfaceInOrder) {
    std::vector<std::string> log;
    PinWindow window(QRectF(100, 100, 200, 150));
    platform::DesktopSurface::install(
        [&log](QWindow* handle) { return new RecordingSurface(handle, &log); });
    window.holdAtTopRight();
    window.orderFront();
    platform::DesktopSurface::install({});  // later windows get null surfaces
    ASSERT_TRUE(testing::waitUntil([&] { return log.size() == 7; }));
    window.orderFront();
    window.setFrameOrigin({300, 100});
    window.close();
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(testing::waitUntil([&] { return log.size() == 11; }));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "hidden prepare 100,650 200x150 right", "hidden shape 0,0 200x150",
                       "above, mapped", "shape 0,0 200x150", "no shadow", "place 100,650 200x151",
                       "place 100,650 200x150", "above", "place 300,650 200x150", "closed",
                       "place 300,650 200x150"}));
}

}  // namespace
}  // namespace corkwallery
