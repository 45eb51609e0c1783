#include "decode/PhotoDecoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace corkwallery::testing::files;
using Kind = platform::Error::Kind;

// Pictures a user may choose, or find in the images folder, that are broken, enormous or no
// pictures at all: each decodes no finer than asked, or fails at once, saying why when it is
// refused undecoded. (Turned ones: LargePhotos.)
TEST(PhotoDecoder, HostilePicturesDecodeUprightOrFailAtOnce) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    const auto cutInHalf = [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) / 2); };
    writePicture(folder / "truncated.png", 400, 200, Qt::blue);
    const QImage stored(QString::fromStdString(folder / "truncated.png"));
    cutInHalf(folder / "truncated.png");
    mkfifo((folder / "fifo.jpg").c_str(), 0600);
    writeBytes(folder / "drawing.png", "<svg xmlns='http://www.w3.org/2000/svg'/>");
    writePngHeaderOnly(folder / "bomb.png", 30000, 30000);
    writeBytes(folder / "text.jpg", "not a picture");
    writeJpeg(folder / "truncated.jpg", stored, 1);
    cutInHalf(folder / "truncated.jpg");
    struct {
        const char* name;
        std::optional<QSize> natural;  // upright, from the header alone
        bool decodes;
        platform::Error::Kind kind;  // of the failure
        const char* refusal;         // why it is refused unread, or "" when it is tried
    } const pictures[] = {
        {"fifo.jpg", std::nullopt, false, Kind::NotRegularFile, "not a regular file"},
        {"drawing.png", std::nullopt, false, Kind::Invalid, "SVG pictures are not decoded"},
        {"bomb.png", QSize(30000, 30000), false, Kind::TooLarge,
         "too large to decode (30000 x 30000 pixels)"},
        {"text.jpg", std::nullopt, false, Kind::Invalid, ""},
        {"gone.jpg", std::nullopt, false, Kind::Io, ""},
        {"truncated.png", QSize(400, 200), false, Kind::Invalid, ""},
        {"truncated.jpg", QSize(400, 200), true, {}, ""},  // the rest shows grey
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const fs::path path = folder / picture.name;
        const std::string refusal = *picture.refusal ? path.string() + ": " + picture.refusal : "";
        const auto natural = PhotoDecoder::naturalSize(path);
        EXPECT_EQ(natural ? std::optional(natural.value()) : std::nullopt, picture.natural);
        if (!natural) {
            EXPECT_EQ(natural.error(), (platform::Error{picture.kind, refusal}));
        }
        const auto photo = PhotoDecoder::decode(path, 100);
        EXPECT_EQ(photo.ok(), picture.decodes);
        if (!photo) {
            EXPECT_EQ(photo.error(), (platform::Error{picture.kind, refusal}));
        } else {
            EXPECT_EQ(photo.value().naturalSize, QSizeF(*picture.natural));
            EXPECT_EQ(photo.value().pixels.size(),
                      picture.natural->scaled(100, 100, Qt::KeepAspectRatio));
        }
    }
}

}  // namespace
}  // namespace corkwallery
