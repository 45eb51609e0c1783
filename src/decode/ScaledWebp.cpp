#include "decode/ScaledWebp.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include "decode/ColourProfile.h"

namespace corkwallery::ScaledWebp {

namespace {

// The ICCP chunk's profile; empty when there is none.
QByteArray iccProfile(const WebPData& data) {
    WebPDemuxer* demuxer = WebPDemux(&data);
    if (demuxer == nullptr)
        return {};
    QByteArray icc;
    WebPChunkIterator chunk;
    if ((WebPDemuxGetI(demuxer, WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG) != 0 &&
        WebPDemuxGetChunk(demuxer, "ICCP", 1, &chunk)) {
        icc = QByteArray(reinterpret_cast<const char*>(chunk.chunk.bytes),
                         static_cast<qsizetype>(chunk.chunk.size));
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demuxer);
    return icc;
}

}  // namespace

QImage decode(const QByteArray& file, QSize size) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return {};
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.constData());
    const auto bytes = static_cast<std::size_t>(file.size());
    if (WebPGetFeatures(data, bytes, &config.input) != VP8_STATUS_OK ||
        config.input.has_animation || size.width() > config.input.width ||
        size.height() > config.input.height)
        return {};
    QImage image(size, config.input.has_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    config.options.use_scaling = 1;
    config.options.scaled_width = size.width();
    config.options.scaled_height = size.height();
    // Written straight into the image, in QImage's 32-bit pixel order.
    config.output.colorspace = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? MODE_BGRA : MODE_ARGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = static_cast<int>(image.bytesPerLine());
    config.output.u.RGBA.size = static_cast<std::size_t>(image.sizeInBytes());
    const bool decoded = WebPDecode(data, bytes, &config) == VP8_STATUS_OK;
    WebPFreeDecBuffer(&config.output);
    if (!decoded)
        return {};
    ColourProfile::tag(image, iccProfile({data, bytes}));
    return image;
}

}  // namespace corkwallery::ScaledWebp
