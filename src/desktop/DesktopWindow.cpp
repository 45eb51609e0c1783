#include "desktop/DesktopWindow.h"

#include <QBackingStore>
#include <QCloseEvent>
#include <QMimeData>
#include <QTimer>
#include <QWindow>

#include "desktop/ScreenChanges.h"
#include "platform/CompositorWatch.h"
#include "platform/DesktopSurface.h"
#include "platform/ScreenCoordinates.h"

namespace corkwallery {

namespace {

// How long the pixel more stays before it goes back (see settleAfterMapping).
constexpr int kSizeNudgeMs = 250;

}  // namespace

// Qt tells the window system of the focus a window takes (WM_HINTS input) by
// Qt::WindowDoesNotAcceptFocus; one shown without activating is asked not to be focused as it maps
// (_NET_WM_USER_TIME 0).
DesktopWindow::DesktopWindow(const QRectF& frame, double margin, Focus focus)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), frame_(frame), margin_(margin) {
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, focus == Focus::Refused);
    // Before anything makes the native window, or it gets no alpha channel.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(focus == Focus::Refused ? Qt::NoFocus : Qt::ClickFocus);
    setAcceptDrops(true);
    auto& compositor = platform::CompositorWatch::instance();
    compositing_ = compositor.isCompositing();
    connect(&compositor, &platform::CompositorWatch::compositingChanged, this,
            &DesktopWindow::setCompositing);
    connect(&ScreenChanges::instance(), &ScreenChanges::settled, this,
            &DesktopWindow::screensSettled);
    setGeometry(nativeGeometry());
    drawnRatio_ = devicePixelRatioF();
}

DesktopWindow::~DesktopWindow() = default;

void DesktopWindow::placeFrame(const QRectF& frame) {
    frame_ = frame;
    placeNative(nativeGeometry());
}

void DesktopWindow::setMargin(double margin) {
    if (margin == margin_)
        return;
    margin_ = margin;
    placeNative(nativeGeometry());
}

QRect DesktopWindow::nativeGeometry() const {
    return platform::screen::toNativeGeometry(
        frame_.adjusted(-margin_, -margin_, margin_, margin_));
}

// A fixed size, which tiling managers (i3, sway) leave floating where the window asks to be.
void DesktopWindow::placeNative(const QRect& geometry) {
    setFixedSize(geometry.size());
    setGeometry(geometry);
    if (nativeDiffers(geometry))
        windowHandle()->setGeometry(geometry);
    if (testAttribute(Qt::WA_WState_Created))
        surface().place(geometry);
}

// The window handle comes with the native window, if not before.
platform::DesktopSurface& DesktopWindow::surface() const {
    return *platform::DesktopSurface::get(windowHandle());
}

bool DesktopWindow::nativeDiffers(const QRect& geometry) const {
    return testAttribute(Qt::WA_WState_Created) && windowHandle() != nullptr &&
           windowHandle()->geometry() != geometry;
}

void DesktopWindow::screensSettled() {
    placeNative(nativeGeometry());
    if (devicePixelRatioF() == drawnRatio_)
        return;
    drawnRatio_ = devicePixelRatioF();
    // Qt resizes the backing store only when the size in points changes, not with the scale.
    if (QBackingStore* store = backingStore(); store != nullptr)
        store->resize(size());
    shapesChanged();
    update();
}

QRegion DesktopWindow::inputShape() const {
    return rect();
}

QRegion DesktopWindow::visibleShape() const {
    return rect();
}

void DesktopWindow::shapesChanged() {
    if (testAttribute(Qt::WA_WState_Created))
        applyShapes();
}

// Without a compositor transparent pixels show black: the window shows only its visible shape.
void DesktopWindow::applyShapes() {
    if (compositing_) {
        clearMask();
    } else {
        // An empty mask would show the whole window.
        const QRegion visible = visibleShape();
        setMask(visible.isEmpty() ? QRegion(-1, -1, 1, 1) : visible);
    }
    surface().setInputShape(inputShape());
}

// Window managers forget the desktop states of a withdrawn window, so they go on again before
// every show. The shapes go on before the window maps too: a window manager that copies the input
// shape to its frame reads it when it takes the window on.
void DesktopWindow::orderFront() {
    using Anchor = platform::DesktopSurface::Anchor;
    if (!isVisible()) {
        createWinId();
        connect(&surface(), &platform::DesktopSurface::frameNeeded, this,
                qOverload<const QRect&>(&QWidget::update), Qt::UniqueConnection);
        connect(&surface(), &platform::DesktopSurface::remapNeeded, this, &DesktopWindow::remap,
                Qt::UniqueConnection);
        surface().prepare(nativeGeometry(), heldAtTopRight_ ? Anchor::TopRight : Anchor::TopLeft);
        applyShapes();
    }
    const bool mapping = !isVisible();
    show();
    surface().keepAboveDesktop(mapping);
}

void DesktopWindow::remap(QScreen* screen) {
    const bool shown = isVisible();
    if (shown)
        hide();
    windowHandle()->setScreen(screen);
    if (shown)
        show();
}

void DesktopWindow::closeWindow() {
    closing_ = true;
    close();
    closing_ = false;
}

void DesktopWindow::setCompositing(bool compositing) {
    if (compositing == compositing_)
        return;
    compositing_ = compositing;
    compositingChanged();
    shapesChanged();
    update();
}

void DesktopWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    justMapped_ = true;
}

// The first paint comes after the window is mapped.
void DesktopWindow::paintEvent(QPaintEvent*) {
    if (!justMapped_)
        return;
    justMapped_ = false;
    settleAfterMapping();
}

// A window manager that puts the window into a frame of its own may copy the input shape to the
// frame only when told the shape changed, which it can hear only once it manages the window; the
// frame needs the no-shadow mark too. xcompmgr -c shadows no translucent window, but one it met
// before it was mapped keeps a rectangular shadow until its size changes: a pixel more, and back a
// moment later, since openbox merges requests that wait together and would change nothing.
void DesktopWindow::settleAfterMapping() {
    surface().setInputShape(inputShape());
    surface().markFrameWithoutShadow();
    if (!surface().isWindowManaged())
        return;
    // A tiling manager that floats the window may have placed it by its own border: asked again,
    // it goes where it belongs.
    if (!compositing_) {
        QTimer::singleShot(0, this, [this] { placeNative(nativeGeometry()); });
        return;
    }
    QTimer::singleShot(0, this, [this] {
        placeNative(nativeGeometry().adjusted(0, 0, 0, 1));
        QTimer::singleShot(kSizeNudgeMs, this, [this] { placeNative(nativeGeometry()); });
    });
}

// Only the owner closes its window: the owner would not know a window had gone. A layer surface
// the compositor closed is made again once screens settle, as its output has gone or goes.
void DesktopWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    event->ignore();
    if (testAttribute(Qt::WA_WState_Created) && surface().closedBySystem())
        ScreenChanges::instance().changed();
}

void DesktopWindow::mousePressEvent(QMouseEvent* event) {
    if (!windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        activateWindow();
    QWidget::mousePressEvent(event);
}

// A source told that its files were moved would delete them.
bool DesktopWindow::acceptDrag(QDropEvent* event) {
    const Qt::DropActions possible = event->possibleActions();
    const Qt::DropAction action = possible.testFlag(Qt::CopyAction)   ? Qt::CopyAction
                                  : possible.testFlag(Qt::LinkAction) ? Qt::LinkAction
                                                                      : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction || !event->mimeData()->hasUrls()) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

void DesktopWindow::dragEnterEvent(QDragEnterEvent* event) {
    acceptDrag(event);
}

void DesktopWindow::dragMoveEvent(QDragMoveEvent* event) {
    acceptDrag(event);
}

void DesktopWindow::dropEvent(QDropEvent* event) {
    if (!acceptDrag(event))
        return;
    emit filesDropped(DroppedFiles::from(*event->mimeData(),
                                         platform::screen::fromQt(mapToGlobal(event->position()))));
}

}  // namespace corkwallery
