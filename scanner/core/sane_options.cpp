#include "scanner/core/sane_options.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

namespace fenwary {

namespace {

constexpr int kLineartDepth = 1;
constexpr int kNormalDepth = 8;

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool containsAny(std::string_view text, std::initializer_list<std::string_view> words) {
    const std::string low = lowered(text);
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return low.find(word) != std::string::npos; });
}

/// The first entry equal to one of `exact` (in that order of preference),
/// then the first containing one of `partial`.
std::optional<std::string> firstMatch(const std::vector<std::string>& entries,
                                      std::initializer_list<std::string_view> exact,
                                      std::initializer_list<std::string_view> partial) {
    for (std::string_view word : exact) {
        for (const std::string& entry : entries) {
            if (lowered(entry) == word) return entry;
        }
    }
    for (const std::string& entry : entries) {
        if (containsAny(entry, partial)) return entry;
    }
    return std::nullopt;
}

/// An option of the open device found by name: active and settable ones
/// only.
struct FoundOption {
    SANE_Int index = 0;
    const SANE_Option_Descriptor* descriptor = nullptr;
};

std::optional<FoundOption> findOption(SaneApi& api, SANE_Handle handle, std::string_view name) {
    SANE_Int count = 0;
    const SANE_Option_Descriptor* first = api.optionDescriptor(handle, 0);
    if (first == nullptr || first->type != SANE_TYPE_INT ||
        api.controlOption(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) {
        return std::nullopt;
    }
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor* option = api.optionDescriptor(handle, i);
        if (option == nullptr || option->name == nullptr || name != option->name) continue;
        if (!SANE_OPTION_IS_ACTIVE(option->cap) || !SANE_OPTION_IS_SETTABLE(option->cap)) {
            return std::nullopt;
        }
        return FoundOption{i, option};
    }
    return std::nullopt;
}

std::vector<std::string> stringList(const SANE_Option_Descriptor& option) {
    std::vector<std::string> entries;
    if (option.constraint_type != SANE_CONSTRAINT_STRING_LIST) return entries;
    for (const SANE_String_Const* s = option.constraint.string_list; s && *s; ++s) {
        entries.emplace_back(*s);
    }
    return entries;
}

bool setString(SaneApi& api, SANE_Handle handle, const FoundOption& option,
               const std::string& value) {
    if (option.descriptor->type != SANE_TYPE_STRING || option.descriptor->size <= 0) return false;
    std::vector<char> buffer(std::size_t(option.descriptor->size), '\0');
    std::strncpy(buffer.data(), value.c_str(), buffer.size() - 1);
    return api.controlOption(handle, option.index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr) ==
           SANE_STATUS_GOOD;
}

bool isNumber(const SANE_Option_Descriptor& option) {
    return (option.type == SANE_TYPE_INT || option.type == SANE_TYPE_FIXED) &&
           option.size == sizeof(SANE_Word);
}

bool setNumber(SaneApi& api, SANE_Handle handle, const FoundOption& option, SANE_Word value) {
    if (!isNumber(*option.descriptor)) return false;
    SANE_Word word = nearestAllowedValue(*option.descriptor, value);
    return api.controlOption(handle, option.index, SANE_ACTION_SET_VALUE, &word, nullptr) ==
           SANE_STATUS_GOOD;
}

/// `dpi` in the option's units.
SANE_Word resolutionWord(const SANE_Option_Descriptor& option, int dpi) {
    return option.type == SANE_TYPE_FIXED ? SANE_FIX(dpi) : SANE_Word(dpi);
}

int readResolution(SaneApi& api, SANE_Handle handle) {
    const auto option = findOption(api, handle, SANE_NAME_SCAN_RESOLUTION);
    if (!option || !isNumber(*option->descriptor)) return 0;
    SANE_Word word = 0;
    if (api.controlOption(handle, option->index, SANE_ACTION_GET_VALUE, &word, nullptr) !=
        SANE_STATUS_GOOD) {
        return 0;
    }
    const double dpi =
        option->descriptor->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : double(word);
    return dpi >= 1 ? int(std::lround(dpi)) : 0;
}

bool setMode(SaneApi& api, SANE_Handle handle, ScanMode mode) {
    const auto option = findOption(api, handle, SANE_NAME_SCAN_MODE);
    if (!option) return mode != ScanMode::Lineart;
    const auto entry = chooseModeEntry(stringList(*option->descriptor), mode);
    if (entry) return setString(api, handle, *option, *entry);
    // No line-art mode: grey at one bit.
    const auto gray = chooseModeEntry(stringList(*option->descriptor), ScanMode::Gray);
    if (gray) setString(api, handle, *option, *gray);
    return false;
}

}  // namespace

std::optional<std::string> chooseSourceEntry(const std::vector<std::string>& entries, bool feeder) {
    if (!feeder) return firstMatch(entries, {"flatbed"}, {"flatbed", "glass", "normal"});
    const auto isFeeder = [](const std::string& entry) {
        return containsAny(entry, {"adf", "feeder", "automatic document"});
    };
    for (const std::string& entry : entries) {
        if (isFeeder(entry) && !containsAny(entry, {"duplex", "back"})) return entry;
    }
    for (const std::string& entry : entries) {
        if (isFeeder(entry)) return entry;
    }
    return std::nullopt;
}

std::optional<std::string> chooseModeEntry(const std::vector<std::string>& entries, ScanMode mode) {
    switch (mode) {
        case ScanMode::Color:
            return firstMatch(entries, {"color", "colour"}, {"color", "colour"});
        case ScanMode::Gray:
            return firstMatch(entries, {"gray", "grey", "grayscale", "greyscale"},
                              {"gray", "grey"});
        case ScanMode::Lineart:
            return firstMatch(entries, {"lineart", "binary", "black & white"},
                              {"lineart", "line art", "binary", "monochrome"});
    }
    return std::nullopt;
}

SANE_Word nearestAllowedValue(const SANE_Option_Descriptor& option, SANE_Word wanted) {
    if (option.constraint_type == SANE_CONSTRAINT_RANGE && option.constraint.range != nullptr) {
        const SANE_Range& range = *option.constraint.range;
        if (range.max < range.min) return wanted;
        SANE_Word value = std::clamp(wanted, range.min, range.max);
        if (range.quant > 0) {
            const std::int64_t steps =
                (std::int64_t(value) - range.min + range.quant / 2) / range.quant;
            value = SANE_Word(std::min<std::int64_t>(range.min + steps * range.quant, range.max));
        }
        return value;
    }
    if (option.constraint_type == SANE_CONSTRAINT_WORD_LIST &&
        option.constraint.word_list != nullptr && option.constraint.word_list[0] > 0) {
        const SANE_Word* list = option.constraint.word_list;
        SANE_Word best = list[1];
        for (SANE_Word i = 1; i <= list[0]; ++i) {
            if (std::llabs(std::int64_t(list[i]) - wanted) <
                std::llabs(std::int64_t(best) - wanted)) {
                best = list[i];
            }
        }
        return best;
    }
    return wanted;
}

DeviceSetup configureDevice(SaneApi& api, SANE_Handle handle, const BatchRequest& request) {
    DeviceSetup setup;
    setup.feeder = request.feeder;
    if (const auto source = findOption(api, handle, SANE_NAME_SCAN_SOURCE)) {
        const auto entry = chooseSourceEntry(stringList(*source->descriptor), request.feeder);
        const bool set = entry && setString(api, handle, *source, *entry);
        setup.feeder = request.feeder && set;
    }
    const bool modeAsAsked = setMode(api, handle, request.mode);
    if (const auto depth = findOption(api, handle, SANE_NAME_BIT_DEPTH)) {
        const bool oneBit = request.mode == ScanMode::Lineart && !modeAsAsked;
        if (request.mode != ScanMode::Lineart || oneBit) {
            setNumber(api, handle, *depth, oneBit ? kLineartDepth : kNormalDepth);
        }
    }
    if (const auto resolution = findOption(api, handle, SANE_NAME_SCAN_RESOLUTION)) {
        setNumber(api, handle, *resolution,
                  resolutionWord(*resolution->descriptor, request.resolutionDpi));
    }
    setup.resolutionDpi = readResolution(api, handle);
    return setup;
}

}  // namespace fenwary
