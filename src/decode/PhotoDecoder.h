#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QSizeF>
#include <optional>
#include <string>

#include "platform/Result.h"

namespace corkwallery {

// A photo decoded from a file: its pixels, perhaps fewer than the photo has, in sRGB, and its
// natural size in points (upright: EXIF orientation applied). `unusableProfile`: the file holds a
// colour profile that could not be used, so its pixels are shown as they are stored.
struct Photo {
    QImage pixels;
    QSizeF naturalSize;
    bool unusableProfile = false;
};

// Decoding photos: only regular files, opened without blocking; never SVG (an SVG can make the
// reader open other files); EXIF orientation applied; colours converted to sRGB from the file's
// profile; decoded only as finely as asked, a JPEG through libjpeg's DCT scaling, a progressive
// one at an eighth from its DC coefficients alone; HEIF, AVIF and JPEG XL, which Qt cannot read,
// told by their first bytes and decoded through libheif and libjxl.
// What a decode will allocate is told from the header and reserved from a budget that decodes
// running at the same time share (kDecodeBudget bytes); one that could never fit is refused
// before anything is allocated. Safe to call from any thread: nothing here touches widgets.
namespace PhotoDecoder {

inline constexpr qint64 kDecodeBudget = qint64{160} << 20;
// A JPEG with more scans is refused: libjpeg's progressive files have 10, and optimizers' a few
// dozen at most, while each scan may cost a pass over the whole picture.
inline constexpr int kMaxScans = 100;

// A file gives no photo with an error of one of these kinds: NotRegularFile or Invalid (it is no
// picture that can be shown), TooLarge, or Io (it cannot be read). Its message is for the log
// when the file is refused before decoding ("<path>: not a regular file", "<path>: SVG pictures
// are not decoded", "<path>: too large to decode (<w> x <h> pixels)", "<path>: too many scans to
// decode (<n>)"), and empty for a file that is tried and fails.
template <typename T>
using Result = platform::Result<T>;

// Sets the decoders' process-wide limits (Qt's allocation limit, libjpeg's JPEGMEM). Every
// decode does it first; call it on the main thread before decoding on others, so that the
// environment is not changed while another thread reads it. Later calls do nothing.
void prepareDecoders();

// The upright natural size, from the header alone; none for what is no decodable picture.
Result<QSize> naturalSize(const std::string& path);

// The photo with at most about `longerSide` pixels on its longer side (0: all of them).
Result<Photo> decode(const std::string& path, int longerSide);

// The MIME types of the pictures decode() reads, sorted: those of Qt's readers but SVG, and
// HEIF, AVIF and JPEG XL.
QList<QByteArray> supportedMimeTypes();

// Pixels on the longer side to decode for a pin `points` large on a screen of `scale` device
// pixels per point: enough for the lifted photo and small enlargements (x 1.25).
int longerSideToDecode(QSizeF points, double scale);
// Whether `photo` shows coarser than the screen at `points`, and a finer decode exists.
bool needsFinerImage(const Photo& photo, QSizeF points, double scale);

// A stored copy for a pin `points` large: from a fresh preview when there is one, otherwise
// decoded (and a preview made for the next launch). The copy's header is always read, so a copy
// that is gone or no longer a picture is not loadable.
Result<Photo> loadCopy(const std::string& copyPath, QSizeF points, double scale);

}  // namespace PhotoDecoder
}  // namespace corkwallery
