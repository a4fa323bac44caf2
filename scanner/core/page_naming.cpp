#include "scanner/core/page_naming.h"

#include <cstdio>
#include <string>

#include "common/resolution.h"

namespace fenwary {

namespace {

constexpr std::uint32_t kCounterWrapAbove = 4000000000u;
constexpr const char* kSixteenZeros = "0000000000000000";
constexpr int kFirstUniqueSuffix = 2;
constexpr int kFirstSuffixWidth = 2;
constexpr int kMaxSuffixWidth = 10;  // int's ten digits
constexpr int kTmYearBase = 100;     // tm_year counts from 1900; names show year - 2000

}  // namespace

const char* extensionFor(ImageFormat format) {
    switch (format) {
        case ImageFormat::Bmp:
            return ".bmp";
        case ImageFormat::Png:
            return ".png";
        case ImageFormat::Jpeg:
            break;
    }
    return ".jpg";
}

int pixelsPerMetreFromDpi(int dpi) {
    return velmora::dotsPerMetreFromDpi(dpi);
}

std::string resolutionText(int dpiX, int dpiY) {
    if (dpiX < 1 || dpiY < 1) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%ddpi", dpiY);
    return text;
}

std::string counterText(std::uint32_t counter, int digits) {
    const std::string padded = kSixteenZeros + std::to_string(counter);
    if (digits <= 0) return {};
    if (std::size_t(digits) >= padded.size()) return padded;
    return padded.substr(padded.size() - std::size_t(digits));
}

std::string timeStampText(const std::tm& localTime) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d%02d%02d_%02d%02d%02d", localTime.tm_year - kTmYearBase,
                  localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                  localTime.tm_sec);
    return text;
}

std::uint32_t advanceCounter(std::uint32_t counter, std::int32_t step) {
    const std::uint32_t next = counter + static_cast<std::uint32_t>(step);
    return next > kCounterWrapAbove ? 0u : next;
}

NameKind nameKind(const NamingRule& rule) {
    if (rule.useCounter) return NameKind::Counter;
    return rule.prefix.empty() ? NameKind::TimeStamp : NameKind::Prefix;
}

std::string withTrailingSeparator(std::string_view folder) {
    std::string text(folder);
    if (!text.empty() && text.back() != '/') text += '/';
    return text;
}

std::string pageFileStem(const NamingRule& rule, const std::tm& localTime) {
    const std::string stem = withTrailingSeparator(rule.folder) + rule.prefix;
    switch (nameKind(rule)) {
        case NameKind::Counter:
            return stem + counterText(rule.counter, rule.digits);
        case NameKind::Prefix:
            return stem;
        case NameKind::TimeStamp:
            break;
    }
    return stem + timeStampText(localTime);
}

std::string collisionSuffix(int n) {
    if (n < kFirstUniqueSuffix) return {};
    // Width w covers 10^(w-1) .. 10^w - 1 (width 2 from 2); the lead is the
    // previous width's largest suffix.
    std::string lead;
    int width = kFirstSuffixWidth;
    long long upper = 100;
    while (n >= upper && width < kMaxSuffixWidth) {
        lead += std::string(std::size_t(width), '9');
        ++width;
        upper *= 10;
    }
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*d", width, n);
    return "_" + lead + digits;
}

std::string pageFilePath(const NamingRule& rule, const std::tm& localTime,
                         const std::function<bool(const std::string&)>& exists) {
    const std::string extension = extensionFor(rule.format);
    const std::string base = pageFileStem(rule, localTime);
    std::string path = base + extension;
    if (nameKind(rule) != NameKind::TimeStamp) return path;
    for (int n = kFirstUniqueSuffix; exists(path); ++n) {
        path = base + collisionSuffix(n) + extension;
    }
    return path;
}

}  // namespace fenwary
