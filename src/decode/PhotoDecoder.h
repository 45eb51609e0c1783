#pragma once

#include <QByteArray>
#include <QList>
#include <QSizeF>
#include <string>

#include "decode/Photo.h"
#include "decode/PhotoFile.h"
#include "platform/Result.h"

namespace corkwallery {

// Decoding photos: only regular files, opened without blocking; never SVG (an SVG can make the
// reader open other files); EXIF orientation applied; colours converted to sRGB from the file's
// profile; decoded only as finely as asked, a JPEG through libjpeg's DCT scaling, a progressive
// one at an eighth from its DC coefficients alone; HEIF, AVIF and JPEG XL, which Qt cannot read,
// told by their first bytes and decoded through libheif and libjxl. A file is opened, and its
// header and metadata read, once: open() gives the PhotoFile that tells the size and decodes.
// What a decode will allocate is told from the header and reserved from a budget that decodes
// running at the same time share (kDecodeBudget bytes); one that could never fit is refused
// before anything is allocated. Safe to call from any thread: nothing here touches widgets.
namespace PhotoDecoder {

inline constexpr qint64 kDecodeBudget = qint64{160} << 20;
// A JPEG with more scans is refused: libjpeg's progressive files have 10, and optimizers' a few
// dozen at most, while each scan may cost a pass over the whole picture.
inline constexpr int kMaxScans = 100;

// A file gives no photo with an error whose message, "<path>: <reason>", is always for the log.
// Its kind tells why. Refused before decoding, for the user to hear: NotRegularFile ("<path>: not
// a regular file"), Unsupported ("<path>: SVG pictures are not decoded") and TooLarge ("<path>:
// too large to decode (<w> x <h> pixels)", "<path>: too many scans to decode (<n>)"). Tried and
// failed: Io (it cannot be opened or read) and Invalid (it is no picture that can be decoded).
template <typename T>
using Result = platform::Result<T>;

// Whether the file was refused before it was decoded: its message is a refusal for the log.
inline bool refusedUndecoded(const platform::Error& error) {
    using Kind = platform::Error::Kind;
    return error.kind == Kind::NotRegularFile || error.kind == Kind::TooLarge ||
           error.kind == Kind::Unsupported;
}

// Sets the decoders' process-wide limits (Qt's allocation limit, libjpeg's JPEGMEM). Every
// decode does it first; call it on the main thread before decoding on others, so that the
// environment is not changed while another thread reads it. Later calls do nothing.
void prepareDecoders();

// Opens the file and reads its header: its natural size is known from here on.
Result<PhotoFile> open(const std::string& path);

// The photo with at most about `longerSide` pixels on its longer side (0: all of them).
Result<Photo> decode(PhotoFile file, int longerSide);
// The same for a file not opened yet.
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
// decoded (and a preview made for the next launch). The copy is opened and its header read in
// either case, so a copy that is gone or no longer a picture is not loadable.
Result<Photo> loadCopy(const std::string& copyPath, QSizeF points, double scale);

}  // namespace PhotoDecoder
}  // namespace corkwallery
