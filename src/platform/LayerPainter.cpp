#include "platform/LayerPainter.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ImageImpl.h"
#include "platform/LayerRaster.h"
#include "platform/QtGraphicsContext.h"

namespace corkwallery::platform {

namespace {

QRectF aspectFit(const QRectF& box, Size content) {
    if (content.width <= 0 || content.height <= 0)
        return box;
    const double scale = std::min(box.width() / content.width, box.height() / content.height);
    const double w = content.width * scale;
    const double h = content.height * scale;
    return {box.center().x() - w / 2, box.center().y() - h / 2, w, h};
}

// The layer's own background and contents, in its local coordinates (centred, y down).
void drawOwnContent(QPainter& painter, const Layer& layer, const QRectF& local) {
    QPainterPath outline;
    outline.addRoundedRect(local, layer.cornerRadius(), layer.cornerRadius());
    if (layer.masksToBounds())
        painter.setClipPath(outline, Qt::IntersectClip);
    if (layer.backgroundColor())
        painter.fillPath(outline, toQColor(*layer.backgroundColor()));
    if (const auto& contents = layer.contents()) {
        const QRectF target = layer.contentsGravity() == ContentsGravity::ResizeAspect
                                  ? aspectFit(local, contents->size())
                                  : local;
        contents->impl().draw(painter, target);
    }
}

// Copies device pixels into `box` (device coordinates), whatever the painter's transform.
void blit(QPainter& painter, const QImage& pixels, const QRect& box, bool smooth) {
    // The device transform is the world transform followed by the device's own (its pixel ratio,
    // a redirection offset): undo both.
    const QTransform own = painter.worldTransform().inverted() * painter.deviceTransform();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.setWorldTransform(own.inverted());
    painter.drawImage(QRectF(box), pixels);
    painter.restore();
}

// Draws the layer's own content from its raster, rendering the raster afresh when anything it
// shows has changed. A layer that draws quickly stretches its old raster instead.
void drawRasterized(QPainter& painter, const Layer& layer, const QRectF& local) {
    const QTransform device = painter.deviceTransform();
    const double wholeX = std::floor(device.dx());
    const double wholeY = std::floor(device.dy());
    const QTransform placed(device.m11(), device.m12(), device.m21(), device.m22(),
                            device.dx() - wholeX, device.dy() - wholeY);
    // Only the part on the device is kept, so a layer far larger than its window (a resize with
    // no upper limit) costs no more than the window.
    const QPaintDevice& target = *painter.device();
    const double ratio = target.devicePixelRatio();
    const QRectF onDevice(-wholeX - 1, -wholeY - 1, target.width() * ratio + 2,
                          target.height() * ratio + 2);
    const QRectF covered = placed.mapRect(local).intersected(onDevice);
    if (covered.isEmpty())
        return;
    const QRect box = covered.toAlignedRect().adjusted(-1, -1, 1, 1);
    const QPoint whole(static_cast<int>(wholeX), static_cast<int>(wholeY));

    const auto& contents = layer.contents();
    const LayerRaster::Key key{contents ? &contents->impl() : nullptr,
                               Size{local.width(), local.height()},
                               layer.cornerRadius(),
                               layer.masksToBounds(),
                               layer.backgroundColor(),
                               layer.contentsGravity(),
                               device.m11(),
                               device.m12(),
                               device.m21(),
                               device.m22(),
                               placed.dx(),
                               placed.dy(),
                               box};
    LayerRaster& raster = layer.raster();
    if (raster.key != key) {
        if (layer.drawsQuickly() && !raster.pixels.isNull() &&
            raster.key.contents == key.contents) {
            blit(painter, raster.pixels, box.translated(whole), false);
            return;
        }
        QImage pixels(box.size(), QImage::Format_ARGB32_Premultiplied);
        pixels.fill(Qt::transparent);
        QPainter offscreen(&pixels);
        offscreen.setRenderHints(painter.renderHints());
        offscreen.setTransform(placed * QTransform::fromTranslate(-box.x(), -box.y()));
        drawOwnContent(offscreen, layer, local);
        offscreen.end();
        raster.key = key;
        raster.shown = contents;
        raster.pixels = std::move(pixels);
        raster.offset = box.topLeft();
    }
    blit(painter, raster.pixels, QRect(whole + raster.offset, raster.pixels.size()), false);
}

void paintLayer(QPainter& painter, const Layer& layer, double parentHeight) {
    const Rect f = layer.frame();
    painter.save();
    // Move to the layer's centre (y down), then turn and scale about it.
    painter.translate(f.midX(), parentHeight - f.midY());
    painter.rotate(-layer.transform().rotation * 180.0 / std::numbers::pi);
    const double scale = layer.presentationScale();
    painter.scale(scale, scale);
    const QRectF local(-f.width() / 2, -f.height() / 2, f.width(), f.height());

    if (layer.contents() || layer.backgroundColor())
        drawRasterized(painter, layer, local);

    std::vector<const Layer*> children(layer.sublayers().begin(), layer.sublayers().end());
    if (!children.empty() && layer.masksToBounds()) {
        QPainterPath outline;
        outline.addRoundedRect(local, layer.cornerRadius(), layer.cornerRadius());
        painter.setClipPath(outline, Qt::IntersectClip);
    }
    std::stable_sort(children.begin(), children.end(), [](const Layer* a, const Layer* b) {
        return a->zPosition() < b->zPosition();
    });
    painter.translate(local.topLeft());
    for (const Layer* child : children)
        paintLayer(painter, *child, f.height());
    painter.restore();
}

}  // namespace

void paintLayerTree(QPainter& painter, const Layer& root, double height) {
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    paintLayer(painter, root, height);
}

}  // namespace corkwallery::platform
