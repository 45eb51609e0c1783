#include "LibraryDecoderCheck.h"
#include "decode/JpegXlDecoder.h"

// JPEG XL files through libjxl.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return checkLibraryDecoder<corkwallery::JpegXlDecoder>(data, size);
}
