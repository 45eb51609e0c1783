#include "platform/LayerPainter.h"

#include <QPainterPath>
#include <algorithm>
#include <numbers>

#include "platform/ImageImpl.h"
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

void paintLayer(QPainter& painter, const Layer& layer, double parentHeight) {
    const Rect f = layer.frame();
    painter.save();
    // Move to the layer's centre (y down), then turn and scale about it.
    painter.translate(f.midX(), parentHeight - f.midY());
    painter.rotate(-layer.transform().rotation * 180.0 / std::numbers::pi);
    const double scale = layer.presentationScale();
    painter.scale(scale, scale);
    const QRectF local(-f.width() / 2, -f.height() / 2, f.width(), f.height());

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

    std::vector<const Layer*> children(layer.sublayers().begin(), layer.sublayers().end());
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
