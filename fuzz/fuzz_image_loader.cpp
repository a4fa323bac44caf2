// Feeds arbitrary bytes to the image decoders.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/image/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto raster = strovik::decodeImage(std::span<const std::uint8_t>(data, size), &error);
    // A decoded raster must be fully addressable.
    if (raster && !raster->empty()) {
        volatile std::uint8_t last = raster->data()[raster->sizeBytes() - 1];
        (void)last;
    }
    return 0;
}
