// The rules that turn a page into a file name and a resolution: the counter
// text, the time-stamp name, the counter step, and the resolution text. The
// page's dots per inch come from velmora::dpiFromDotsPerMetreTruncated
// (common/resolution.h), the scanner's own rule.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace fenwary {

/// The output formats in the order of the format combo box and of the
/// stored "format" value.
enum class ImageFormat { Jpeg = 0, Bmp = 1, Png = 2 };

/// ".jpg", ".bmp" or ".png".
const char* extensionFor(ImageFormat format);

/// Pixels per metre from dots per inch: the suite's one conversion
/// (velmora::dotsPerMetreFromDpi; 200 dpi gives 7874, below 1 gives 0).
int pixelsPerMetreFromDpi(int dpi);

/// "%ddpi" with the y resolution when both are at least 1, else empty.
std::string resolutionText(int dpiX, int dpiY);

/// The counter's part of a name: the decimal counter appended to sixteen
/// "0" and cut to its rightmost `digits` characters (5 with 4 digits gives
/// "0005", 12345 gives "2345"; never more than sixteen leading zeros).
std::string counterText(std::uint32_t counter, int digits);

/// "%02d%02d%02d_%02d%02d%02d": year - 100, month, day, hour, minute,
/// second of the local time.
std::string timeStampText(const std::tm& localTime);

/// The counter after a page: counter + step in unsigned 32-bit arithmetic;
/// a result above 4000000000 becomes 0 (so stepping below zero gives 0).
std::uint32_t advanceCounter(std::uint32_t counter, std::int32_t step);

/// What a page's name is made of.
struct NamingRule {
    std::string folder;  ///< output folder; "/" is appended unless present
    std::string prefix;
    bool useCounter = true;
    std::uint32_t counter = 1;
    int digits = 4;
    ImageFormat format = ImageFormat::Jpeg;
};

/// The kinds of name the rule gives.
enum class NameKind {
    Counter,    ///< prefix + counter: the same name replaces its file
    Prefix,     ///< prefix alone: every page replaces the one file
    TimeStamp,  ///< local time: never replaces a file (see pageFilePath)
};

NameKind nameKind(const NamingRule& rule);

/// The full path of a page's file. A time-stamp name that `exists`
/// already gets a collision suffix (see collisionSuffix) before its
/// extension, so a page scanned in the same second as the previous one does
/// not replace it.
std::string pageFilePath(const NamingRule& rule, const std::tm& localTime,
                         const std::function<bool(const std::string&)>& exists);

/// The path without its collision suffix and extension: folder, prefix and
/// counter or time stamp (or the prefix alone).
std::string pageFileStem(const NamingRule& rule, const std::tm& localTime);

/// The suffix of the `n`-th file (n >= 2) that would share one name: "_02"
/// to "_99", then "_99100" to "_99999", "_999991000" ... Each width starts
/// with the largest suffix of the width before it, so names compared byte
/// by byte keep the order of n (a plain "_10" would sort before "_2").
/// Empty for n < 2.
std::string collisionSuffix(int n);

/// `folder` with a trailing "/" (added unless present; empty stays empty).
std::string withTrailingSeparator(std::string_view folder);

}  // namespace fenwary
