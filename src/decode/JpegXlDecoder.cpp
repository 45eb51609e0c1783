#include "decode/JpegXlDecoder.h"

#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>

#include <QIODevice>
#include <type_traits>

#include "decode/ColourProfile.h"
#include "decode/DecodeBudget.h"

namespace corkwallery {

namespace {

// The header is read a piece at a time; one that has not ended within this many bytes is no
// picture's.
constexpr qint64 kHeaderChunk = 4096;
constexpr qint64 kMostHeaderBytes = qint64{1} << 20;
// libjxl's working memory per pixel of a whole frame (planes of floats and their borders), beside
// the 8-bit RGBA it writes.
constexpr qint64 kWorkingBytesPerPixel = 12;

QSize uprightSize(const JxlBasicInfo& info) {
    const QSize stored(static_cast<int>(info.xsize), static_cast<int>(info.ysize));
    return info.orientation >= JXL_ORIENT_TRANSPOSE ? stored.transposed() : stored;
}

bool isSrgb(const JxlColorEncoding& encoding) {
    return encoding.color_space == JXL_COLOR_SPACE_RGB &&
           encoding.white_point == JXL_WHITE_POINT_D65 &&
           encoding.primaries == JXL_PRIMARIES_SRGB &&
           encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// Calls one of libjxl's colour profile getters for the pixels it writes. Before 0.9 they took a
// pixel format too, which they ignored.
template <typename Getter, typename... Out>
JxlDecoderStatus profileOfData(Getter getter, const JxlDecoder* decoder, Out... out) {
    if constexpr (std::is_invocable_v<Getter, const JxlDecoder*, std::nullptr_t,
                                      JxlColorProfileTarget, Out...>)
        return getter(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, out...);
    else
        return getter(decoder, JXL_COLOR_PROFILE_TARGET_DATA, out...);
}

// Asks for sRGB where libjxl may choose (pixels stored as XYB), then gives the ICC profile of the
// pixels it will write; none for sRGB. Grey pictures are shown as they are.
QByteArray chooseColours(JxlDecoder* decoder, const JxlBasicInfo& info) {
    if (info.num_color_channels != 3)
        return {};
    JxlColorEncoding srgb{};
    srgb.color_space = JXL_COLOR_SPACE_RGB;
    srgb.white_point = JXL_WHITE_POINT_D65;
    srgb.primaries = JXL_PRIMARIES_SRGB;
    srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    srgb.rendering_intent = JXL_RENDERING_INTENT_RELATIVE;
    JxlDecoderSetPreferredColorProfile(decoder, &srgb);
    JxlColorEncoding encoding;
    if (profileOfData(JxlDecoderGetColorAsEncodedProfile, decoder, &encoding) == JXL_DEC_SUCCESS &&
        isSrgb(encoding))
        return {};
    std::size_t size = 0;
    if (profileOfData(JxlDecoderGetICCProfileSize, decoder, &size) != JXL_DEC_SUCCESS)
        return {};
    QByteArray icc(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (profileOfData(JxlDecoderGetColorAsICCProfile, decoder,
                      reinterpret_cast<uint8_t*>(icc.data()), size) != JXL_DEC_SUCCESS)
        return {};
    return icc;
}

}  // namespace

bool JpegXlDecoder::recognises(const QByteArray& start) {
    const JxlSignature signature =
        JxlSignatureCheck(reinterpret_cast<const uint8_t*>(start.constData()),
                          static_cast<std::size_t>(start.size()));
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

bool JpegXlDecoder::readHeader() {
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    if (!decoder || !file_.seek(0) ||
        JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO) != JXL_DEC_SUCCESS)
        return false;
    QByteArray held;
    while (file_.pos() < kMostHeaderBytes) {
        const QByteArray chunk = file_.read(kHeaderChunk);
        held.append(chunk);
        JxlDecoderSetInput(decoder.get(), reinterpret_cast<const uint8_t*>(held.constData()),
                           static_cast<std::size_t>(held.size()));
        if (chunk.isEmpty())
            JxlDecoderCloseInput(decoder.get());
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_BASIC_INFO) {
            JxlBasicInfo info;
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                return false;
            upright_ = uprightSize(info);
            return !upright_.isEmpty();
        }
        if (status != JXL_DEC_NEED_MORE_INPUT || chunk.isEmpty())
            return false;
        held = held.right(static_cast<qsizetype>(JxlDecoderReleaseInput(decoder.get())));
    }
    return false;
}

// A header may state sides of 2^30: the products saturate.
qint64 JpegXlDecoder::decodeBytes(int longerSide, int /*leastSide*/) const {
    return file_.size() + DecodeBudget::bytesFor(upright_, kWorkingBytesPerPixel + 4) +
           DecodeBudget::bytesFor(fitted(upright_, longerSide), 4);
}

QImage JpegXlDecoder::decode(int longerSide, int /*leastSide*/) {
    if (!file_.seek(0))
        return {};
    const QByteArray data = file_.readAll();
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (!decoder || !runner ||
        JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get()) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                                     JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS)
        return {};
    JxlDecoderSetInput(decoder.get(), reinterpret_cast<const uint8_t*>(data.constData()),
                       static_cast<std::size_t>(data.size()));
    JxlDecoderCloseInput(decoder.get());
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    JxlBasicInfo info{};
    QImage image;
    QByteArray icc;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
            case JXL_DEC_BASIC_INFO:
                // The size the header promised is what the budget holds for.
                if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS ||
                    uprightSize(info) != upright_)
                    return {};
                break;
            case JXL_DEC_COLOR_ENCODING:
                icc = chooseColours(decoder.get(), info);
                break;
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
                const QImage::Format layout = info.alpha_bits == 0 ? QImage::Format_RGBX8888
                                              : info.alpha_premultiplied != 0
                                                  ? QImage::Format_RGBA8888_Premultiplied
                                                  : QImage::Format_RGBA8888;
                QImage pixels(upright_, layout);
                std::size_t needed = 0;
                if (pixels.isNull() ||
                    JxlDecoderImageOutBufferSize(decoder.get(), &format, &needed) !=
                        JXL_DEC_SUCCESS ||
                    needed != static_cast<std::size_t>(pixels.sizeInBytes()))
                    return {};
                image = std::move(pixels);
                if (JxlDecoderSetImageOutBuffer(decoder.get(), &format, image.bits(), needed) !=
                    JXL_DEC_SUCCESS)
                    return {};
                break;
            }
            case JXL_DEC_FULL_IMAGE:
                // The first frame: a still picture, or an animation's first.
                if (image.format() == QImage::Format_RGBA8888)
                    image.convertTo(QImage::Format_RGBA8888_Premultiplied);
                image = reduced(std::move(image), longerSide);
                ColourProfile::tag(image, icc);
                return image;
            default:
                return {};
        }
    }
}

}  // namespace corkwallery
