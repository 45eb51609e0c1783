#pragma once

#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QVariantAnimation>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "desktop/PhotoGeometry.h"

class QMenu;
class QPainter;

namespace corkwallery {

// The view inside every pin window: one photo, tilted, its corners rounded, with a coloured
// pushpin in the middle of its top edge, over a soft shadow (without a compositor: cut to that
// shape instead). It shows the photo, size, tilt, pin colour and lock it is given, and sizes its
// window around the tilted photo; it turns mouse input into moves and resizes, and menu choices
// into requests, and announces them by its signals; it never calls its owner. The owner keeps
// what is saved: only a resize under way changes the size shown before the owner hears of it. It
// fills its whole native window, drawing margin included; its bounds, as the geometry speaks of
// them, are the window's frame, `drawingMargin` points inside the widget.
class DraggableImageView final : public QWidget {
    Q_OBJECT
public:
    // What the view needs of the window it fills.
    class Window {
    public:
        // The frame in screen points (y up), exactly as last set, or where the window manager
        // really moved the window.
        virtual QRectF frame() const = 0;
        // Gives the frame this size about its exact centre.
        virtual void setFrameSizeKeepingCenter(QSizeF size) = 0;
        virtual void setFrameOrigin(QPointF origin) = 0;
        // Room around the frame that the native window keeps for drawing only.
        virtual double drawingMargin() const = 0;
        virtual void setDrawingMargin(double points) = 0;
        // What the view draws changed shape: the window takes clicks (and without a compositor
        // shows pixels) only where the view now draws.
        virtual void drawnShapeChanged() = 0;

    protected:
        ~Window() = default;
    };

    // A view whose bounds are `size` (the frame it will have), with a red pin.
    explicit DraggableImageView(QSizeF size);
    ~DraggableImageView() override;

    // The window this view is the content of; set by the window when it takes the view.
    void setHostWindow(Window* window);

    // Stores the photo's size and tilt and fits the window around them.
    void fitWindowToPhoto(QSizeF size, double rotation);
    // Sizes the window around the tilted photo plus the pin's room, keeping its centre, with room
    // past the frame for the lifted photo and the shadow.
    void refitWindow();
    // Makes the pin picture in the colour named by pinColorName.
    void renderPinImage();
    // A name that is none of the pin colours draws a red pin.
    void setPinColorName(std::string name);
    const std::string& pinColorName() const { return pinColorName_; }

    // The lift: the photo (not the pin) scales about its centre to 1.05 over 0.15 s, ease-out
    // (0, 0, 0.58, 1), and stays lifted; back to 1 over 0.2 s, ease-in-ease-out (0.42, 0, 0.58, 1).
    // One replaces the other where it stands.
    void animatePickUp();
    void animatePutDown();
    double lift() const { return lift_; }

    void toggleLock();
    void removeThisPhoto();
    void openThisPhoto();
    void showThisOriginal();

    // The photo as people name it (its file's name) and where the chosen file was.
    void setPhotoName(QString name) { photoName_ = std::move(name); }
    const QString& photoName() const { return photoName_; }
    void setOriginalPath(std::string path) { originalPath_ = std::move(path); }
    const std::string& originalPath() const { return originalPath_; }
    // The photo's own entries: Lock or Unlock, Open Photo, Show Original (disabled, saying why,
    // once the original is gone), Remove Photo; its right-click menu and the tray's list share
    // them.
    void addPhotoActions(QMenu& menu);

    // Where the view draws the tilted photo and the pin (widget coordinates): clicks go through
    // anywhere else.
    QRegion hitRegion() const;
    // Without a compositor, the pixels the view shows (the cut), in widget coordinates; empty
    // with one.
    QRegion drawnRegion() const;
    // Without a compositor the drawing is cut and opaque and casts no shadow.
    void setCompositing(bool compositing);

    QSizeF baseImageSize() const { return baseImageSize_; }
    double rotationAngle() const { return rotationAngle_; }
    bool isLocked() const { return isLocked_; }
    // A locked photo takes no gesture; the lock's owner sets it.
    void setLocked(bool locked);
    // The photo's pixels, perhaps fewer than it has, and its natural size (its aspect is shown).
    void setImage(QImage pixels, QSizeF naturalSize);

    // The rendering the view paints (photo, pin and shadow or cut, at the widget's device pixel
    // ratio), made again only when the size, tilt, pin, photo, lift, pixel ratio or compositor
    // changed.
    const QImage& rendering();

signals:
    // At the end of every mouse gesture: the photo's size after it (a resize changes it; a drag
    // moves the window).
    void gestureEnded(QSizeF size);
    // The user chose Lock Photo or Unlock Photo; the lock changes once its owner sets it.
    void lockToggled();
    void lockedChanged();
    // The user chose "Remove Photo". The receiver may delete the view before the emit returns.
    void removePhoto();
    // "Open Photo" or a double click; "Show Original".
    void openPhoto();
    void showOriginal();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QSizeF bounds() const;
    double margin() const;
    // A point of the view (y up, from the frame's bottom-left corner) in widget coordinates.
    QPointF toWidget(QPointF point) const;
    // The turned photo and pin, each grown by `outset` points, in widget coordinates.
    QRegion outlines(double outset) const;
    const QImage& renderingAt(qreal ratio);
    void draw(QPainter& painter, qreal ratio) const;
    // Something drawn changed: repaints, and without a compositor makes the cut now, so the
    // window's shape follows before the next paint.
    void drawingChanged();
    // The pointer in screen points; `pressed` starts a gesture.
    QPointF pointerOnScreen(const QMouseEvent* event, bool pressed);

    Window* window_ = nullptr;
    QSizeF baseImageSize_{0, 0};
    double rotationAngle_ = 0;
    bool isLocked_ = false;
    std::string pinColorName_ = "red";
    QString photoName_;
    std::string originalPath_;
    QImage pixels_;
    QSizeF naturalSize_;
    QImage pinImage_;
    QPointF clickOffset_{0, 0};
    bool isDragging_ = false;
    bool isOptionResizing_ = false;
    QPointF resizeStartMouse_{0, 0};
    QSizeF resizeStartSize_{0, 0};
    QVariantAnimation pickUp_;
    double lift_ = 1.0;
    bool compositing_ = true;
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

}  // namespace corkwallery
