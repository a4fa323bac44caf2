// Multi-page TIFF files: how many pages a file holds, and splitting it into
// one single-page TIFF per page. The reader takes one image per sheet, so a
// scan of a whole stack in one TIFF must be split before it is read.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace strovik {

/// True when `leading` (the first bytes of a file) starts like a TIFF:
/// "II*\0", "MM\0*" or the BigTIFF forms "II+\0", "MM\0+".
bool looksLikeTiff(const std::string& leading);

/// The number of pages (image directories) of the TIFF file at `path`;
/// nullopt when the file does not start like a TIFF or cannot be opened
/// (the caller then treats it as whatever else it is). Only the directory
/// chain is read, not the pixels.
std::optional<int> tiffPageCount(const std::string& path);

/// What a split wrote.
struct TiffSplitResult {
    std::vector<std::string> written;  ///< the page files, in page order
    std::string error;                 ///< one line; empty when every page was written
};

/// Writes page i (0-based) of the TIFF at `path` to `pagePath(i)` as a
/// single-page TIFF, in page order. Lossless: the page's pixels keep their
/// layout (bits, samples, photometric, colour map) and its resolution tags
/// are copied; bilevel pages are stored with CCITT group 4, others with the
/// source's compression when it is lossless (none, LZW, Deflate, PackBits),
/// else LZW. Tiled or JPEG-coded pages are stored as their decoded 8-bit RGB
/// (RGBA when a pixel is not opaque). Each page file is replaced atomically;
/// a failure stops at that page, keeping the pages already written.
TiffSplitResult splitTiffPages(const std::string& path,
                               const std::function<std::string(int)>& pagePath);

}  // namespace strovik
