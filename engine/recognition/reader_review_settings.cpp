#include "engine/recognition/reader_review_settings.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>

namespace strovik {
namespace {

/// The reader hands the several-marks threshold to the engine in thousandths.
constexpr double kMultiplyScale = 1000.0;
constexpr double kMultiplyUnit = 0.001;

using Lookup = std::function<std::optional<std::string>(std::string_view name)>;

bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
    while (!text.empty() && isWhite(text.back())) text.remove_suffix(1);
    return text;
}

/// A plain decimal number filling the whole text but for surrounding white
/// space and one leading "+" or "-".
template <typename Number>
std::optional<Number> plainNumber(std::string_view text) {
    text = trimmed(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<double> finiteReal(std::string_view text) {
    const std::optional<double> value = plainNumber<double>(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

/// `value` rounded to the nearest integer, ties to even; nullopt outside int.
std::optional<int> roundedInt(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= double(std::numeric_limits<int>::min()) &&
          rounded <= double(std::numeric_limits<int>::max()))) {
        return std::nullopt;
    }
    return int(rounded);
}

std::optional<std::int64_t> dotCount(std::string_view text) {
    const std::optional<int> value = plainNumber<int>(text);
    return value ? std::optional<std::int64_t>(*value) : std::nullopt;
}

std::optional<int> percent(std::string_view text) {
    const std::optional<double> value = finiteReal(text);
    return value ? roundedInt(*value) : std::nullopt;
}

std::optional<double> multiplier(std::string_view text) {
    const std::optional<double> value = finiteReal(text);
    if (!value) return std::nullopt;
    const std::optional<int> thousandths = roundedInt(*value * kMultiplyScale);
    return thousandths ? std::optional<double>(*thousandths * kMultiplyUnit) : std::nullopt;
}

/// The stored text up to its first NUL, or nullopt when absent or empty once
/// cleaned.
std::optional<std::string> presentValue(const Lookup& lookup, std::string_view name) {
    std::optional<std::string> value = lookup(name);
    if (!value) return std::nullopt;
    value->resize(std::min(value->find('\0'), value->size()));
    if (cleanedStoredText(*value).empty()) return std::nullopt;
    return value;
}

/// Sets `target` from the stored value, or from the default text when the
/// value is absent or not a number (then noted as malformed).
template <typename T, typename Parse>
void takeNumber(const Lookup& lookup, StoredText value, Parse parse, T& target,
                ReaderReview& review) {
    const std::optional<std::string> text = presentValue(lookup, value.name);
    auto parsed = text ? parse(*text) : std::nullopt;
    if (text && !parsed) review.malformed.push_back(value.name);
    if (!parsed) parsed = parse(value.fallback);
    if (parsed) target = *parsed;
}

void takeCheck(const Lookup& lookup, StoredCheck value, bool& target, ReaderReview& review) {
    const std::optional<std::string> text = presentValue(lookup, value.name);
    const std::optional<bool> parsed = text ? storedCheck(*text) : std::nullopt;
    if (text && !parsed) review.malformed.push_back(value.name);
    target = parsed.value_or(value.fallback);
}

ReaderReview readReview(const Lookup& lookup) {
    namespace v = reader_values;
    ReaderReview review;
    takeNumber(lookup, v::kNoMarkValue, finiteReal, review.rule.noMark, review);
    takeNumber(lookup, v::kMarkValue, finiteReal, review.rule.faint, review);
    takeNumber(lookup, v::kMultiValue, dotCount, review.rule.multiValue, review);
    takeNumber(lookup, v::kMultiRange, dotCount, review.rule.multiRange, review);
    takeCheck(lookup, v::kMultiMarkedCheck, review.rule.showSeveral, review);
    takeNumber(lookup, v::kMultiMarkedThreshold, multiplier, review.multiMarkedMultiply, review);
    takeNumber(lookup, v::kNoMarkedPercent, percent, review.noMarkedPercent, review);
    takeCheck(lookup, v::kTenToZero, review.tenToZero, review);
    return review;
}

}  // namespace

std::string cleanedStoredText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != '\0' && c != '\n' && c != '\r' && c != ' ') out += c;
    }
    return out;
}

std::optional<bool> storedCheck(std::string_view text) {
    const std::optional<int> value = plainNumber<int>(cleanedStoredText(text));
    if (!value || (*value != 0 && *value != 1)) return std::nullopt;
    return *value == 1;
}

ReaderReview readerReviewDefaults() {
    return readReview([](std::string_view) { return std::optional<std::string>(); });
}

ReaderReview loadReaderReview(const velmora::SettingsStore& store) {
    ReaderReview review = readReview([&store](std::string_view name) {
        return store.getValue(kReaderSettingsRoot, kReaderSettingsKey, name);
    });
    review.stored = store.keyExists(kReaderSettingsRoot, kReaderSettingsKey);
    return review;
}

}  // namespace strovik
