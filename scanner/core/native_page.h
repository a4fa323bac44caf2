// A page handed over by a TWAIN source in a native transfer: a packed
// device-independent bitmap (a 40-byte or longer BITMAPINFOHEADER, the
// colour table, the pixel rows), or a TIFF file from sources that send one.
// Both become a 24-bit ScannedPage with the resolution the data records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "scanner/core/acquisition.h"

namespace fenwary {

/// The number of bytes the bitmap described by the header at `data` takes
/// (header, colour table, bit-field masks, pixel rows), or nullopt with a
/// reason when the header is not a plausible bitmap header. Reads at most
/// the first `available` bytes (at least the 40-byte header must be there).
std::optional<std::size_t> packedDibSize(const std::uint8_t* data, std::size_t available,
                                         std::string* error);

/// Decodes a packed bitmap or (sniffed by "II*\0" / "MM\0*") a TIFF file
/// held in `bytes`. Every depth becomes 24 bits through the image's own
/// colour table; the resolution comes from the bitmap header's pixels per
/// metre or the TIFF resolution tags. nullopt with a reason on bad data.
std::optional<ScannedPage> decodeNativePage(std::span<const std::uint8_t> bytes,
                                            std::string* error);

/// True when the bytes start like a TIFF file.
bool looksLikeTiff(std::span<const std::uint8_t> bytes);

}  // namespace fenwary
