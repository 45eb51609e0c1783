#pragma once

// The Qt side of Image: how each kind of picture renders at a given pixel size.

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

#include "platform/Image.h"

namespace corkwallery::platform {

class Image::Impl {
public:
    explicit Impl(Size size) : size_(size) {}
    virtual ~Impl() = default;

    Size size() const { return size_; }
    virtual Size pixelSize() const { return size_; }
    std::optional<std::string> description;

    // The picture at exactly `pixels`, premultiplied ARGB; null if it cannot be drawn.
    virtual QImage render(QSize pixels) const = 0;
    // Draws the picture into `target` (painter coordinates, y down) as crisply as the painter's
    // device allows.
    virtual void draw(QPainter& painter, const QRectF& target) const;
    // The decoded pixels for a bitmap; null for other kinds.
    virtual const QImage* bitmap() const { return nullptr; }

private:
    Size size_;
};

// Wraps decoded pixels. The natural size is the pixel size unless given: a photo decoded reduced
// keeps the size of the whole picture.
Image imageFromQImage(QImage pixels, std::optional<Size> naturalSize = std::nullopt);

}  // namespace corkwallery::platform
