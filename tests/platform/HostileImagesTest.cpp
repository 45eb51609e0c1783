#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/ImageDecoder.h"
#include "support/TemporaryHome.h"

// Pictures a user may choose, or find in the images folder, that are broken, enormous or odd:
// each either decodes upright at its true size or is refused; none crashes or takes the memory
// its header asks for.
namespace corkwallery::platform {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void convert(const std::string& arguments) {
    ASSERT_EQ(std::system(("convert " + arguments).c_str()), 0) << arguments;
}

// Rewrites the frame size in a JPEG's start-of-frame marker, as a decompression bomb would.
void claimJpegSize(const fs::path& path, int width, int height) {
    std::string bytes = readAll(path);
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
        const auto marker = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            bytes[i + 5] = static_cast<char>(height >> 8);
            bytes[i + 6] = static_cast<char>(height & 0xFF);
            bytes[i + 7] = static_cast<char>(width >> 8);
            bytes[i + 8] = static_cast<char>(width & 0xFF);
            writeAll(path, bytes);
            return;
        }
    }
    FAIL() << "no start-of-frame marker in " << path;
}

void cutInHalf(const fs::path& path) {
    const std::string bytes = readAll(path);
    writeAll(path, bytes.substr(0, bytes.size() / 2));
}

struct Picture {
    const char* name;
    std::function<void(const fs::path&)> make;
    std::optional<Size> decodesAs;  // none: refused
};

class HostileImage : public ::testing::TestWithParam<Picture> {};

TEST_P(HostileImage, DecodesUprightOrIsRefused) {
    const testing::TemporaryHome home;
    const Picture& picture = GetParam();
    const fs::path path = home.root() / picture.name;
    picture.make(path);
    if (HasFatalFailure())
        return;

    const auto image = ImageDecoder::decode(path.string(), 300);
    ASSERT_EQ(image.has_value(), picture.decodesAs.has_value());
    if (image) {
        EXPECT_EQ(image->size(), *picture.decodesAs);
        EXPECT_LE(std::max(image->pixelSize().width, image->pixelSize().height), 600);
    }
}

const std::string kGradient = "-size 400x200 gradient:'#f4b860-#2a5fa8' ";

INSTANTIATE_TEST_SUITE_P(
    Pictures, HostileImage,
    ::testing::Values(
        Picture{"truncated.jpg",
                [](const fs::path& p) {
                    convert(kGradient + p.string());
                    cutInHalf(p);
                },
                Size{400, 200}},  // shows what arrived, the rest grey
        Picture{"truncated.png",
                [](const fs::path& p) {
                    convert(kGradient + p.string());
                    cutInHalf(p);
                },
                std::nullopt},
        Picture{"truncated.webp",
                [](const fs::path& p) {
                    convert(kGradient + p.string());
                    cutInHalf(p);
                },
                std::nullopt},
        Picture{"bomb.jpg",
                [](const fs::path& p) {
                    convert("-size 64x64 xc:gray " + p.string());
                    claimJpegSize(p, 30000, 30000);
                },
                std::nullopt},
        Picture{"huge-progressive.jpg",
                [](const fs::path& p) {
                    convert("-size 64x64 xc:gray -interlace JPEG " + p.string());
                    claimJpegSize(p, 16000, 16000);
                },
                std::nullopt},
        Picture{"cmyk.jpg",
                [](const fs::path& p) { convert(kGradient + "-colorspace CMYK " + p.string()); },
                Size{400, 200}},
        Picture{"deep.png", [](const fs::path& p) { convert(kGradient + "PNG48:" + p.string()); },
                Size{400, 200}},
        Picture{"animated.gif",
                [](const fs::path& p) {
                    convert("-size 400x200 xc:red -size 400x200 xc:blue -loop 0 " + p.string());
                },
                Size{400, 200}},
        Picture{"animated.webp",
                [](const fs::path& p) {
                    convert("-size 400x200 xc:red -size 400x200 xc:blue -loop 0 " + p.string());
                },
                Size{400, 200}}),
    [](const ::testing::TestParamInfo<Picture>& picture) {
        std::string name = picture.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

}  // namespace
}  // namespace corkwallery::platform
