#include "desktop/DraggableImageView.h"

#include <QContextMenuEvent>
#include <QEasingCurve>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <utility>

#include "desktop/PinColors.h"
#include "desktop/SymbolArt.h"
#include "desktop/WindowSurface.h"
#include "platform/DesktopSurface.h"
#include "platform/Files.h"
#include "platform/ScreenCoordinates.h"

namespace corkwallery {

using namespace PhotoGeometry;

namespace {

QEasingCurve cubicBezier(QPointF c1, QPointF c2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

// A painter's smooth transform samples bilinearly, which grains a picture shrunk to less than
// half: such a picture is shrunk with area averaging first, to the device pixels it covers.
QImage forDrawing(const QImage& pixels, QSizeF devicePixels) {
    const QSize needed(std::clamp(qCeil(devicePixels.width()), 1, 8192),
                       std::clamp(qCeil(devicePixels.height()), 1, 8192));
    if (pixels.width() <= 2 * needed.width() && pixels.height() <= 2 * needed.height())
        return pixels;
    return pixels.scaled(needed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

// The rendering with its cut, what it was made of (widget size, bounds, margin, photo size,
// angle, pixel ratio, lift, photo, pin, compositing), and the part of it that holds pixels.
struct DraggableImageView::Cache {
    using Key =
        std::tuple<QSize, QSizeF, double, QSizeF, double, qreal, double, qint64, qint64, bool>;
    std::optional<Key> key;
    QImage image;
    QRegion mask;
    QRegion occupied;
};

DraggableImageView::DraggableImageView(QSizeF size) : cache_(std::make_unique<Cache>()) {
    // Only the part of the rendering that holds pixels is painted: the window is translucent, so
    // everything else is clear already.
    setAttribute(Qt::WA_NoSystemBackground);
    resize(qCeil(size.width()), qCeil(size.height()));
    connect(&pickUp_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        lift_ = value.toDouble();
        drawingChanged();
    });
    renderPinImage();
}

DraggableImageView::~DraggableImageView() = default;

void DraggableImageView::setHostWindow(Window* window) {
    window_ = window;
}

QSizeF DraggableImageView::bounds() const {
    return window_ != nullptr ? window_->frame().size() : QSizeF(size());
}

double DraggableImageView::margin() const {
    return window_ != nullptr ? window_->drawingMargin() : 0;
}

QPointF DraggableImageView::toWidget(QPointF point) const {
    const double m = margin();
    return {m + point.x(), m + bounds().height() - point.y()};
}

void DraggableImageView::fitWindowToPhoto(QSizeF size, double rotation) {
    baseImageSize_ = size;
    rotationAngle_ = rotation;
    update();
    refitWindow();
}

void DraggableImageView::refitWindow() {
    if (window_ == nullptr)
        return;
    const QSizeF size = windowSize(baseImageSize_, rotationAngle_);
    // Room past the frame for the photo lifted while it is dragged, and for its shadow (kept
    // without a compositor too, so the window keeps its size when one comes or goes).
    window_->setDrawingMargin(drawingMargin(size, true));
    window_->setFrameSizeKeepingCenter(size);
    update();
    if (!compositing_)
        rendering();
    window_->drawnShapeChanged();
}

// The picture itself is made for the pixel ratio of the next rendering.
void DraggableImageView::renderPinImage() {
    pinImage_ = QImage();
    drawingChanged();
}

void DraggableImageView::setPinColorName(std::string name) {
    pinColorName_ = std::move(name);
    renderPinImage();
}

void DraggableImageView::setImage(QImage pixels, QSizeF naturalSize) {
    pixels_ = std::move(pixels);
    naturalSize_ = naturalSize;
    drawingChanged();
}

void DraggableImageView::setCompositing(bool compositing) {
    if (compositing == compositing_)
        return;
    compositing_ = compositing;
    update();
    if (window_ == nullptr)
        return;
    if (!compositing_)
        rendering();
    window_->drawnShapeChanged();
}

void DraggableImageView::drawingChanged() {
    update();
    if (compositing_ || window_ == nullptr)
        return;
    const QRegion before = cache_->mask;
    rendering();
    if (cache_->mask != before)
        window_->drawnShapeChanged();
}

void DraggableImageView::animatePickUp() {
    pickUp_.stop();
    pickUp_.setStartValue(1.0);
    pickUp_.setEndValue(liftedScale);
    pickUp_.setDuration(150);
    pickUp_.setEasingCurve(cubicBezier({0, 0}, {0.58, 1}));
    pickUp_.start();
}

void DraggableImageView::animatePutDown() {
    pickUp_.stop();
    pickUp_.setStartValue(liftedScale);
    pickUp_.setEndValue(1.0);
    pickUp_.setDuration(200);
    pickUp_.setEasingCurve(cubicBezier({0.42, 0}, {0.58, 1}));
    pickUp_.start();
}

void DraggableImageView::toggleLock() {
    emit lockToggled();
}

void DraggableImageView::setLocked(bool locked) {
    if (std::exchange(isLocked_, locked) != locked)
        emit lockedChanged();
}

// The receiver may delete this view before the emit returns: nothing may follow it.
void DraggableImageView::removeThisPhoto() {
    emit removePhoto();
}

void DraggableImageView::openThisPhoto() {
    emit openPhoto();
}

void DraggableImageView::showThisOriginal() {
    emit showOriginal();
}

QRegion DraggableImageView::hitRegion() const {
    return outlines(0);
}

QRegion DraggableImageView::outlines(double outset) const {
    if (!(baseImageSize_.width() > 0))
        return {};
    const QSizeF b = bounds();
    // Outlines are cut to the widget first: a photo may be far larger than its window.
    const QPolygonF widget(QRectF(-1, -1, width() + 2, height() + 2));
    constexpr double kFar = 1e6;
    QRegion region;
    for (const QRectF& r :
         {photoFrame(b, baseImageSize_), pinFrame(b, baseImageSize_, rotationAngle_)}) {
        QPolygonF outline;
        for (const QPointF& p :
             turned(r.adjusted(-outset, -outset, outset, outset), rotationAngle_)) {
            const QPointF w = toWidget(p);
            outline << QPointF(std::clamp(w.x(), -kFar, kFar), std::clamp(w.y(), -kFar, kFar));
        }
        region += QRegion(outline.intersected(widget).toPolygon(), Qt::WindingFill);
    }
    return region;
}

QRegion DraggableImageView::drawnRegion() const {
    return compositing_ ? QRegion() : cache_->mask;
}

const QImage& DraggableImageView::rendering() {
    return renderingAt(devicePixelRatioF());
}

const QImage& DraggableImageView::renderingAt(qreal ratio) {
    if (pinImage_.isNull() || pinImage_.devicePixelRatio() != ratio) {
        const int side = qCeil(pinSide * ratio);
        pinImage_ = SymbolArt::render("pin.fill", pinPointSize, SymbolArt::Weight::Bold,
                                      QSize(side, side), pinColor(pinColorName_));
        pinImage_.setDevicePixelRatio(ratio);
    }
    const Cache::Key key(size(), bounds(), margin(), baseImageSize_, rotationAngle_, ratio, lift_,
                         pixels_.cacheKey(), pinImage_.cacheKey(), compositing_);
    if (cache_->key == key)
        return cache_->image;
    QImage drawn(qCeil(width() * ratio), qCeil(height() * ratio),
                 QImage::Format_ARGB32_Premultiplied);
    drawn.setDevicePixelRatio(ratio);
    drawn.fill(Qt::transparent);
    if (baseImageSize_.width() > 0 && !drawn.isNull()) {
        QPainter painter(&drawn);
        draw(painter, ratio);
    }
    cache_->key = key;
    // Pixels lie only on the photo, lifted, the pin and the shadow: only they are shown, on a
    // window that is cleared before it paints.
    const double lifted = std::ceil((lift_ - 1) / 2 * std::max(width(), height())) + 1;
    const QRegion occupied = outlines(lifted + (compositing_ ? surface::kShadowRoom : 0));
    // Copied in bands of 16 to 64 rows: few copies, and little more than what holds pixels.
    cache_->occupied = QRegion();
    const int band = std::clamp(height() / 8, 16, 64);
    for (int y = 0; y < height(); y += band)
        cache_->occupied += (occupied & QRect(0, y, width(), band)).boundingRect();
    cache_->mask = QRegion();
    cache_->image =
        compositing_ ? surface::withShadow(drawn) : surface::cutOut(drawn, &cache_->mask);
    return cache_->image;
}

// The photo turned about its centre and lifted, its corners rounded, and the pin above it turned
// about its own centre, on a widget-sized painter.
void DraggableImageView::draw(QPainter& painter, qreal ratio) const {
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const double degrees = -qRadiansToDegrees(rotationAngle_);  // Qt turns the other way
    const QRectF photo = photoFrame(bounds(), baseImageSize_);
    const QRectF local(-photo.width() / 2, -photo.height() / 2, photo.width(), photo.height());
    painter.save();
    painter.translate(toWidget(photo.center()));
    painter.rotate(degrees);
    painter.scale(lift_, lift_);
    if (!pixels_.isNull()) {
        QPainterPath rounded;
        rounded.addRoundedRect(local, cornerRadius, cornerRadius);
        painter.setClipPath(rounded);
        // Scaled to fit inside the photo's rectangle, its aspect kept, centred.
        const QSizeF natural = naturalSize_.isEmpty() ? QSizeF(pixels_.size()) : naturalSize_;
        QRectF target(QPointF(), natural.scaled(local.size(), Qt::KeepAspectRatio));
        target.moveCenter(QPointF(0, 0));
        painter.drawImage(target, forDrawing(pixels_, target.size() * lift_ * ratio));
    }
    painter.restore();
    const QRectF pin = pinFrame(bounds(), baseImageSize_, rotationAngle_);
    painter.translate(toWidget(pin.center()));
    painter.rotate(degrees);
    painter.drawImage(QRectF(-pinSide / 2, -pinSide / 2, pinSide, pinSide), pinImage_);
}

// A window that only moves is not painted again; a paint draws the kept rendering.
void DraggableImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRegion before = cache_->mask;
    // Drawn for the device painted on: the window, or an image of another density.
    const QImage& image = renderingAt(painter.device()->devicePixelRatio());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal r = image.devicePixelRatio();
    for (const QRect& band : cache_->occupied)
        painter.drawImage(QRectF(band), image,
                          QRectF(QPointF(band.topLeft()) * r, QSizeF(band.size()) * r));
    // A new pixel ratio may change the cut; the window's shape is not changed while it paints.
    if (!compositing_ && cache_->mask != before)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (window_ != nullptr)
                    window_->drawnShapeChanged();
            },
            Qt::QueuedConnection);
}

// The window system may know better than Qt where the pointer is; the view fills its window from
// the corner.
QPointF DraggableImageView::pointerOnScreen(const QMouseEvent* event, bool pressed) {
    QPointF pointer = event->globalPosition();
    if (auto* surface = platform::DesktopSurface::get(window()->windowHandle()))
        pointer = surface->globalPointer(event->position(), pointer, pressed, isDragging_);
    return platform::screen::fromQt(pointer);
}

void DraggableImageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || window_ == nullptr || isLocked_)
        return;
    const QPointF pointer = pointerOnScreen(event, true);
    // The modifier is read here only: pressing or releasing it mid-gesture changes nothing.
    if (event->modifiers() & (Qt::AltModifier | Qt::ShiftModifier)) {
        isOptionResizing_ = true;
        resizeStartMouse_ = pointer;
        resizeStartSize_ = baseImageSize_;
        return;
    }
    isDragging_ = true;
    const QRectF frame = window_->frame();
    clickOffset_ = pointer - QPointF(frame.x(), frame.y());
    animatePickUp();
}

void DraggableImageView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || window_ == nullptr || isLocked_)
        return;
    const QPointF pointer = pointerOnScreen(event, false);
    if (!isOptionResizing_) {
        window_->setFrameOrigin(pointer - clickOffset_);
        return;
    }
    // From the gesture's start size and start pointer: the result depends only on where the
    // pointer is now.
    baseImageSize_ = resized(resizeStartSize_, pointer.x() - resizeStartMouse_.x());
    refitWindow();
}

void DraggableImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (isOptionResizing_) {
        isOptionResizing_ = false;
    } else if (isDragging_) {
        isDragging_ = false;
        animatePutDown();
    }
    emit gestureEnded(baseImageSize_);
}

// Opens the photo, locked or not, and starts no drag.
void DraggableImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        openThisPhoto();
}

void DraggableImageView::addPhotoActions(QMenu& menu) {
    menu.addAction(isLocked_ ? tr("Unlock Photo") : tr("Lock Photo"), this,
                   &DraggableImageView::toggleLock);
    menu.addSeparator();
    menu.addAction(tr("Open Photo"), this, &DraggableImageView::openThisPhoto);
    const bool originalThere =
        !originalPath_.empty() && QFileInfo::exists(platform::files::toQt(originalPath_));
    QAction* original =
        menu.addAction(originalThere ? tr("Show Original") : tr("Original Moved or Deleted"), this,
                       &DraggableImageView::showThisOriginal);
    original->setEnabled(originalThere);
    menu.addSeparator();
    menu.addAction(tr("Remove Photo"), this, &DraggableImageView::removeThisPhoto);
}

// A new menu at every right click, whatever the lock state. Nothing may follow exec: "Remove
// Photo" may have deleted this view.
void DraggableImageView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    QMenu menu;
    addPhotoActions(menu);
    menu.exec(event->globalPos());
}

}  // namespace corkwallery
