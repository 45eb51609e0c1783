#include "platform/ImageDecoder.h"

#include <QImageReader>

#include "platform/ImageImpl.h"

namespace corkwallery::platform {

namespace {
constexpr int kAllocationLimitMegabytes = 256;
}

std::optional<Image> decodeImage(const std::string& path) {
    QImageReader::setAllocationLimit(kAllocationLimitMegabytes);
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    QImage pixels = reader.read();
    if (pixels.isNull() || pixels.width() <= 0 || pixels.height() <= 0)
        return std::nullopt;
    return imageFromQImage(std::move(pixels));
}

}  // namespace corkwallery::platform
