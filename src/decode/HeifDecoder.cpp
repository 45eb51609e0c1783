#include "decode/HeifDecoder.h"

#include <libheif/heif.h>

#include <QColorSpace>
#include <QIODevice>
#include <QPointF>
#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

#include "decode/ColourProfile.h"
#include "decode/DecodeBudget.h"
#include "decode/YCbCrScaler.h"

namespace corkwallery {

namespace {

// Wider or taller pictures are refused while the boxes are read: none would fit the budget.
constexpr int kMaximumSide = 16384;

void initialise() {
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

// libheif reads the file through these, only the boxes and the coded data it needs.
QIODevice& deviceOf(void* userdata) {
    return *static_cast<QIODevice*>(userdata);
}

// Version 1 of the interface; later libheif versions add fields, left empty here.
heif_reader makeReader() {
    heif_reader reader{};
    reader.reader_api_version = 1;
    reader.get_position = [](void* userdata) -> int64_t { return deviceOf(userdata).pos(); };
    reader.read = [](void* data, size_t size, void* userdata) -> int {
        const auto wanted = static_cast<qint64>(size);
        return deviceOf(userdata).read(static_cast<char*>(data), wanted) == wanted ? 0 : 1;
    };
    reader.seek = [](int64_t position, void* userdata) -> int {
        return deviceOf(userdata).seek(position) ? 0 : 1;
    };
    reader.wait_for_file_size = [](int64_t target, void* userdata) {
        return target <= deviceOf(userdata).size() ? heif_reader_grow_status_size_reached
                                                   : heif_reader_grow_status_size_beyond_eof;
    };
    return reader;
}

const heif_reader kReader = makeReader();

qint64 area(QSize size) {
    return qint64{size.width()} * size.height();
}

QSize sizeOf(const heif_image_handle* handle) {
    return {heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)};
}

// Bytes per pixel of a whole decode into 4:2:0 planes, as measured at 12 to 48 megapixels: about
// 6 at 8 bits (the codec's planes and its own state, and libheif's copy), about 16 past 8 bits
// (libheif's pipeline makes wider copies on the way). Alpha is a picture of its own, decoded
// likewise.
qint64 bytesPerPixel(const heif_image_handle* handle) {
    const qint64 picture = heif_image_handle_get_luma_bits_per_pixel(handle) > 8 ? 16 : 6;
    return heif_image_handle_has_alpha_channel(handle) ? 2 * picture : picture;
}

// The nclx transfer characteristics Qt knows. BT.709, BT.601 and BT.2020 are shown as sRGB, as
// viewers do; PQ and HLG are not.
std::optional<QColorSpace::TransferFunction> transferOf(heif_transfer_characteristics transfer,
                                                        float& gamma) {
    switch (transfer) {
        case heif_transfer_characteristic_IEC_61966_2_1:
        case heif_transfer_characteristic_ITU_R_BT_709_5:
        case heif_transfer_characteristic_ITU_R_BT_601_6:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
        case heif_transfer_characteristic_unspecified:
            return QColorSpace::TransferFunction::SRgb;
        case heif_transfer_characteristic_linear:
            return QColorSpace::TransferFunction::Linear;
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
            gamma = 2.2F;
            return QColorSpace::TransferFunction::Gamma;
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
            gamma = 2.8F;
            return QColorSpace::TransferFunction::Gamma;
        default:
            return std::nullopt;
    }
}

// The colour space an nclx profile states; invalid for sRGB, unspecified or unknown ones, which
// are shown as they are.
QColorSpace nclxSpace(const heif_color_profile_nclx& nclx) {
    float gamma = 0;
    const auto transfer = transferOf(nclx.transfer_characteristics, gamma);
    if (!transfer)
        return {};
    switch (nclx.color_primaries) {
        case heif_color_primaries_unspecified:
        case heif_color_primaries_ITU_R_BT_709_5:
            if (*transfer == QColorSpace::TransferFunction::SRgb)
                return {};
            return QColorSpace(QColorSpace::Primaries::SRgb, *transfer, gamma);
        case heif_color_primaries_SMPTE_EG_432_1:
            return QColorSpace(QColorSpace::Primaries::DciP3D65, *transfer, gamma);
        default:
            return QColorSpace(QPointF(nclx.color_primary_white_x, nclx.color_primary_white_y),
                               QPointF(nclx.color_primary_red_x, nclx.color_primary_red_y),
                               QPointF(nclx.color_primary_green_x, nclx.color_primary_green_y),
                               QPointF(nclx.color_primary_blue_x, nclx.color_primary_blue_y),
                               *transfer, gamma);
    }
}

// Tags `image` with the handle's ICC profile, or the colour space of its nclx profile.
bool tagged(QImage& image, const heif_image_handle* handle) {
    switch (heif_image_handle_get_color_profile_type(handle)) {
        case heif_color_profile_type_prof:
        case heif_color_profile_type_rICC: {
            QByteArray icc(
                static_cast<qsizetype>(heif_image_handle_get_raw_color_profile_size(handle)),
                Qt::Uninitialized);
            if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
                return false;
            ColourProfile::tag(image, icc);
            return true;
        }
        case heif_color_profile_type_nclx: {
            heif_color_profile_nclx* nclx = nullptr;
            if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok)
                return false;
            const QColorSpace space = nclxSpace(*nclx);
            heif_nclx_color_profile_free(nclx);
            if (space.isValid())
                image.setColorSpace(space);
            return true;
        }
        default:
            return false;
    }
}

// How the handle's YCbCr maps to RGB: its nclx profile's matrix, else BT.601 at full range, as
// libheif assumes.
YCbCrScaler::Matrix matrixOf(const heif_image_handle* handle) {
    YCbCrScaler::Matrix matrix;
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok) {
        matrix.coefficients = nclx->matrix_coefficients;
        matrix.fullRange = nclx->full_range_flag != 0;
        heif_nclx_color_profile_free(nclx);
    }
    return matrix;
}

YCbCrScaler::Plane planeOf(const heif_image* image, heif_channel channel) {
    if (!heif_image_has_channel(image, channel))
        return {};
    int stride = 0;
    const uint8_t* bits = heif_image_get_plane_readonly(image, channel, &stride);
    return {bits, stride,
            QSize(heif_image_get_width(image, channel), heif_image_get_height(image, channel)),
            heif_image_get_bits_per_pixel_range(image, channel)};
}

}  // namespace

void HeifDecoder::HandleRelease::operator()(const heif_image_handle* handle) const {
    heif_image_handle_release(handle);
}

HeifDecoder::HeifDecoder(QIODevice& file) : file_(file) {}

HeifDecoder::~HeifDecoder() = default;

bool HeifDecoder::recognises(const QByteArray& start) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(start.constData());
    const auto length = static_cast<int>(std::min<qsizetype>(start.size(), 64));
    return length >= 12 && heif_check_filetype(bytes, length) != heif_filetype_no;
}

bool HeifDecoder::readHeader() {
    initialise();
    context_.reset(heif_context_alloc(), heif_context_free);
    if (!context_ || !file_.seek(0))
        return false;
    heif_context_set_maximum_image_size_limit(context_.get(), kMaximumSide);
    if (heif_context_read_from_reader(context_.get(), &kReader, &file_, nullptr).code !=
        heif_error_Ok)
        return false;
    heif_image_handle* primary = nullptr;
    if (heif_context_get_primary_image_handle(context_.get(), &primary).code != heif_error_Ok)
        return false;
    primary_.reset(primary);
    return !size().isEmpty();
}

// The handle's size has irot applied already, so it is upright.
QSize HeifDecoder::size() const {
    return primary_ ? sizeOf(primary_.get()) : QSize();
}

HeifDecoder::Handle HeifDecoder::source(int leastSide) const {
    const int count = heif_image_handle_get_number_of_thumbnails(primary_.get());
    std::vector<heif_item_id> ids(static_cast<std::size_t>(std::max(count, 0)));
    heif_image_handle_get_list_of_thumbnail_IDs(primary_.get(), ids.data(), count);
    Handle best;
    const qint64 whole = area(size());
    for (const heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary_.get(), id, &thumbnail).code != heif_error_Ok)
            continue;
        Handle candidate(thumbnail);
        const QSize held = sizeOf(thumbnail);
        const qint64 pixels = area(held);
        if (leastSide > 0 && std::max(held.width(), held.height()) >= leastSide && pixels < whole &&
            (!best || pixels < area(sizeOf(best.get()))))
            best = std::move(candidate);
    }
    if (best)
        return best;
    heif_image_handle* primary = nullptr;
    heif_context_get_primary_image_handle(context_.get(), &primary);
    return Handle(primary);
}

qint64 HeifDecoder::decodeBytes(int longerSide, int leastSide) const {
    const Handle handle = source(leastSide);
    if (!handle)
        return 0;
    const QSize held = sizeOf(handle.get());
    return DecodeBudget::bytesFor(held, bytesPerPixel(handle.get())) +
           DecodeBudget::bytesFor(fitted(held, longerSide), 4);
}

// The planes come as the codec made them, 4:2:0 YCbCr at their own depth (libheif converts
// others), turned and mirrored; they are made RGB while scaled down, so that no full-size RGB
// picture is ever held.
QImage HeifDecoder::decode(int longerSide, int leastSide) {
    const Handle handle = source(leastSide);
    if (!handle)
        return {};
    std::unique_ptr<heif_decoding_options, void (*)(heif_decoding_options*)> options(
        heif_decoding_options_alloc(), heif_decoding_options_free);
    heif_image* decoded = nullptr;
    if (heif_decode_image(handle.get(), &decoded, heif_colorspace_YCbCr, heif_chroma_420,
                          options.get())
            .code != heif_error_Ok)
        return {};
    const std::unique_ptr<heif_image, void (*)(const heif_image*)> planes(decoded,
                                                                          heif_image_release);
    const YCbCrScaler scaler(planeOf(decoded, heif_channel_Y), planeOf(decoded, heif_channel_Cb),
                             planeOf(decoded, heif_channel_Cr),
                             planeOf(decoded, heif_channel_Alpha), matrixOf(handle.get()),
                             heif_image_handle_is_premultiplied_alpha(handle.get()) != 0);
    const QSize held(heif_image_get_primary_width(decoded), heif_image_get_primary_height(decoded));
    QImage image = scaler.scaled(fitted(held, longerSide));
    // A thumbnail shows the primary picture: unless it has an ICC profile of its own, its colours
    // are the primary's (heif-enc 1.19 gives it an nclx profile beside the primary's ICC one).
    const auto type = heif_image_handle_get_color_profile_type(handle.get());
    const bool ownIcc =
        type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC;
    if (!image.isNull() && !(ownIcc && tagged(image, handle.get())) &&
        !tagged(image, primary_.get()))
        tagged(image, handle.get());
    return image;
}

}  // namespace corkwallery
