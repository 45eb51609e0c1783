#include "LibraryDecoderCheck.h"
#include "decode/HeifDecoder.h"

// HEIF and AVIF files through libheif.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return checkLibraryDecoder<corkwallery::HeifDecoder>(data, size);
}
