#include "engine/recognition/numbered_entries.h"

#include <climits>
#include <cstddef>
#include <unordered_map>

namespace strovik {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Parses the index after a prefix occurrence; -1 when the text there is not
/// a canonical decimal index followed by "=" (or exceeds the limit).
int indexAt(std::string_view line, std::size_t pos, int limit, std::size_t* valueStart) {
    std::size_t end = pos;
    long long n = 0;
    while (end < line.size() && isDigit(line[end])) {
        n = n * 10 + (line[end] - '0');
        if (n >= limit) return -1;
        ++end;
    }
    const std::size_t digits = end - pos;
    if (digits == 0 || end >= line.size() || line[end] != '=') return -1;
    if (digits > 1 && line[pos] == '0') return -1;  // "MARK01=" is no key text
    *valueStart = end + 1;
    return int(n);
}

}  // namespace

std::vector<std::string> numberedEntries(const std::vector<std::string>& lines,
                                         std::string_view prefix, int limit) {
    std::unordered_map<int, std::string> first;
    for (const std::string& line : lines) {
        std::string_view text(line);
        for (std::size_t pos = text.find(prefix); pos != std::string_view::npos;
             pos = text.find(prefix, pos + 1)) {
            std::size_t valueStart = 0;
            const int n = indexAt(text, pos + prefix.size(), limit, &valueStart);
            if (n >= 0 && !first.count(n)) first.emplace(n, std::string(text.substr(valueStart)));
        }
    }
    std::vector<std::string> values;
    for (int n = 0; n < limit; ++n) {
        auto it = first.find(n);
        if (it == first.end()) break;
        values.push_back(std::move(it->second));
    }
    return values;
}

int parseIntList(std::string_view text, int* out, int count) {
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',') return i;
            ++pos;
        }
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        bool negative = false;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
            negative = text[pos] == '-';
            ++pos;
        }
        if (pos >= text.size() || !isDigit(text[pos])) return i;
        long long v = 0;
        while (pos < text.size() && isDigit(text[pos])) {
            if (v < LLONG_MAX / 100) v = v * 10 + (text[pos] - '0');
            ++pos;
        }
        if (negative) v = -v;
        out[i] = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
    }
    return count;
}

}  // namespace strovik
