// Writes a camera-like JPEG of any size row by row, never holding the picture (a progressive one
// is buffered by libjpeg as coefficients): smooth colour bands with sensor noise, 4:2:0 as
// cameras store them. Usage: make_large_jpeg <file> <width> <height> [progressive]
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it uses FILE and size_t without including them

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <file> <width> <height> [progressive]\n", argv[0]);
        return 2;
    }
    const auto width = static_cast<JDIMENSION>(std::atoi(argv[2]));
    const auto height = static_cast<JDIMENSION>(std::atoi(argv[3]));
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || width == 0 || height == 0) {
        std::perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    jpeg_stdio_dest(&jpeg, out);
    jpeg.image_width = width;
    jpeg.image_height = height;
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, 90, TRUE);
    if (argc > 4 && std::strcmp(argv[4], "progressive") == 0)
        jpeg_simple_progression(&jpeg);
    jpeg_start_compress(&jpeg, TRUE);
    // Each channel is a sum of a wave across and a wave down, so rows cost one pass.
    std::vector<double> across(3 * width);
    for (JDIMENSION x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c)
            across[3 * x + c] = 60 * std::sin(6.0 * x / width * (c + 1) + c);
    }
    std::vector<JSAMPLE> row(3 * width);
    unsigned noise = 12345;
    while (jpeg.next_scanline < height) {
        const double y = static_cast<double>(jpeg.next_scanline) / height;
        for (std::size_t i = 0; i < row.size(); ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double down = 60 * std::cos(5.0 * y * (i % 3 + 2));
            const double value = 128 + across[i] + down + static_cast<int>(noise >> 28) - 8;
            row[i] = static_cast<JSAMPLE>(value < 0 ? 0 : value > 255 ? 255 : value);
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&jpeg, &line, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    return std::fclose(out) == 0 ? 0 : 1;
}
