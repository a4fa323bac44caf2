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

/// What a transfer's image info (DAT_IMAGEINFO) says of the page about to
/// come: the only size a TWAIN manager vouches for, as its memory handles
/// carry none.
struct TransferInfo {
    std::int64_t width = 0;
    std::int64_t length = 0;
    int bitsPerPixel = 0;
};

/// Extra bytes a TIFF page may take beyond the bitmap of the same image
/// (its header and tags).
inline constexpr std::size_t kTiffAllowance = 4096;

/// The most bytes a page of `info` may take: a packed bitmap of that size
/// and depth with the longest header, bit-field masks and a full colour
/// table (plus kTiffAllowance for a TIFF). nullopt when the info is not a
/// plausible image (no size, a depth that is not 1, 4, 8, 16, 24 or 32,
/// or more pixels than any page).
std::optional<std::size_t> nativePageBound(const TransferInfo& info, bool tiff);

/// Decodes the page at `data` after checking it against `info`, reading no
/// byte beyond nativePageBound: a bitmap header must give the same width,
/// height and depth as the info. nullopt with a reason otherwise.
std::optional<ScannedPage> decodeTransferredPage(const std::uint8_t* data, const TransferInfo& info,
                                                 std::string* error);

/// True when the bytes start like a TIFF file.
bool looksLikeTiff(std::span<const std::uint8_t> bytes);

}  // namespace fenwary
