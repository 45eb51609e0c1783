#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>

namespace corkwallery {
namespace {

// File managers offer "Open With" for exactly the image types the decoder reads (no SVG).
TEST(app, DesktopEntryOffersEveryImageTypeTheDecoderReads) {
    QFile file(CORKWALLERY_DESKTOP_ENTRY);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList offered;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("MimeType="))
            offered = QString::fromLatin1(line.mid(9)).split(u';', Qt::SkipEmptyParts);
    }
    QStringList read;
    for (const QByteArray& type : QImageReader::supportedMimeTypes()) {
        if (!type.startsWith("image/svg"))
            read << QString::fromLatin1(type);
    }
    offered.sort();
    EXPECT_EQ(offered, read);
}

}  // namespace
}  // namespace corkwallery
