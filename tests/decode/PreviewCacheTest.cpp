#include "decode/PreviewCache.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <span>

#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using testing::files::writeBytes, testing::files::writePicture;

std::size_t previews() {
    std::error_code ignored;
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(PreviewCache::folder(), ignored), {}));
}

// A preview stands in for its copy only while the copy is the one it was made from, at the shape
// of the photo, and fine enough for what is asked (unless it holds every pixel); removing a copy's
// previews leaves other copies' alone, however alike their names.
TEST(PreviewCache, StandsInOnlyForTheCopyItWasMadeFrom) {
    testing::TemporaryHome home;
    const fs::path copy = home.root() / "A.jpg", other = home.root() / "A.jpg.png";
    writePicture(copy, 1200, 800, Qt::red);
    writePicture(other, 60, 40, Qt::blue);
    QImage pixels(600, 400, QImage::Format_RGB32);
    pixels.fill(Qt::red);
    PreviewCache::store(copy, {pixels, {1200, 800}}, 300);
    PreviewCache::store(other, {pixels.scaled(60, 40), {60, 40}}, 300);
    ASSERT_TRUE(PreviewCache::hasFresh(copy) && PreviewCache::hasFresh(other));
    EXPECT_EQ(previews(), 2u);

    const struct {
        QSize natural;
        int longerSide;
        std::optional<QSize> shown;  // none: no preview stands in
    } cases[] = {
        {{1200, 800}, 150, QSize(150, 100)},
        {{1200, 800}, 300, QSize(300, 200)},
        {{1200, 800}, 600, std::nullopt},  // coarser than asked
        {{800, 1200}, 150, std::nullopt},  // another shape: dropped
    };
    for (const auto& c : cases) {
        const auto preview = PreviewCache::load(copy, c.natural, c.longerSide);
        EXPECT_EQ(preview ? std::optional(preview->pixels.size()) : std::nullopt, c.shown)
            << c.longerSide;
        EXPECT_TRUE(!preview || preview->naturalSize == QSizeF(c.natural)) << c.longerSide;
    }
    EXPECT_FALSE(PreviewCache::hasFresh(copy));  // the one of another shape went
    // Every pixel of a small photo does, however finely asked.
    EXPECT_TRUE(PreviewCache::load(other, {60, 40}, 600));

    PreviewCache::store(copy, {pixels, {1200, 800}}, 300);
    writeBytes(copy, "changed");  // another size and time: the preview is stale
    EXPECT_FALSE(PreviewCache::hasFresh(copy));
    writeBytes(fs::path(PreviewCache::folder()) / "A.jpg.1-2-2.jpg.partAb3dEf", "a crash's");
    PreviewCache::remove("A.jpg");
    EXPECT_EQ(previews(), 1u);
    EXPECT_TRUE(PreviewCache::hasFresh(other));
}

// Previews are scaled copies of private photos: the user's alone as made, whatever the umask, and
// as earlier versions left them once the launch has made them so, without following a link out.
TEST(PreviewCache, PreviewsAreTheUsersAlone) {
    testing::TemporaryHome home;
    const fs::path copy = home.root() / "A.jpg", outside = home.root() / "outside.jpg";
    const fs::path previews = PreviewCache::folder(), older = previews / "older";
    writePicture(copy, 60, 40);
    const mode_t umask = ::umask(022);
    PreviewCache::store(copy, {QImage(60, 40, QImage::Format_RGB32), {60, 40}}, 300);
    ::umask(umask);
    const auto mode = [](const fs::path& path) {
        return static_cast<int>(fs::symlink_status(path).permissions());
    };
    const std::pair<fs::path, int> entries[] = {
        {previews.parent_path(), 0700},
        {previews, 0700},
        {fs::directory_iterator(previews)->path(), 0600},
        {older, 0700},
        {older / "B.jpg.1-2-2.jpg", 0600},
    };
    for (const auto& [path, privateMode] : std::span(entries, 3))
        EXPECT_EQ(mode(path), privateMode) << path;
    fs::create_directory(older);
    writeBytes(older / "B.jpg.1-2-2.jpg", "older");
    writeBytes(outside, "not ours");
    fs::create_symlink(outside, previews / "link.jpg");
    for (const auto& [path, privateMode] : entries)
        fs::permissions(path, fs::perms(privateMode == 0700 ? 0755 : 0644));
    fs::permissions(outside, fs::perms(0644));
    PreviewCache::makePrivate();
    for (const auto& [path, privateMode] : entries)
        EXPECT_EQ(mode(path), privateMode) << path;
    EXPECT_EQ(mode(outside), 0644);
}

}  // namespace
}  // namespace corkwallery
