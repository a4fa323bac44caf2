// INI ("private profile") reading and byte-preserving editing.
#include "common/profile_file.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <system_error>

#include "common/ascii_text.h"
#include "common/atomic_file.h"
#include "common/line_text.h"

namespace velmora {
namespace {

constexpr std::string_view kNewLine = kCrLf;
constexpr char kCommentStart = ';';

/// One line of the text as byte offsets. The line ending (CR LF, a lone LF
/// or a lone CR, as files from other systems have them) lies between
/// contentEnd and end; the last line of a file may have none.
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;

    bool hasEnding() const { return end != contentEnd; }
};

/// The line starting at `begin` (which must be inside the text).
Line lineAt(std::string_view text, std::size_t begin) {
    Line line{begin, text.size(), text.size()};
    const std::size_t brk = text.find_first_of("\r\n", begin);
    if (brk != std::string_view::npos) {
        line.contentEnd = brk;
        line.end = brk + lineEndLength(text, brk);
    }
    return line;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

/// The line's text without its ending and without surrounding blanks.
std::string_view trimmedContent(std::string_view text, const Line& line) {
    return trimBlanks(text.substr(line.begin, line.contentEnd - line.begin));
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return velmora::equalsIgnoringAsciiCase(a, b);
}

bool isComment(std::string_view trimmed) {
    return !trimmed.empty() && trimmed.front() == kCommentStart;
}

/// The section name of a header line ("[name]"), or nullopt for other lines.
/// A header without its closing bracket names the rest of the line.
std::optional<std::string_view> headerName(std::string_view trimmed) {
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    trimmed.remove_prefix(1);
    return trimBlanks(trimmed.substr(0, trimmed.find(']')));
}

/// An entry's key and value, both trimmed.
struct Entry {
    std::string_view key;
    std::string_view value;
};

/// Splits an entry line at its first "="; comments and lines without "="
/// are not entries.
std::optional<Entry> parseEntry(std::string_view trimmed) {
    if (isComment(trimmed)) return std::nullopt;
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Entry{trimBlanks(trimmed.substr(0, eq)), trimBlanks(trimmed.substr(eq + 1))};
}

/// A section as found in the text: its header line and the byte range of
/// the lines below it up to the next header.
struct Section {
    Line header;
    std::size_t bodyEnd = 0;
};

std::size_t bodyEndFrom(std::string_view text, std::size_t pos) {
    while (pos < text.size()) {
        const Line line = lineAt(text, pos);
        if (headerName(trimmedContent(text, line))) return line.begin;
        pos = line.end;
    }
    return text.size();
}

/// The first section with the given name.
std::optional<Section> findSection(std::string_view text, std::string_view name) {
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        const auto header = headerName(trimmedContent(text, line));
        if (header && equalsIgnoreCase(*header, name)) {
            return Section{line, bodyEndFrom(text, line.end)};
        }
        pos = line.end;
    }
    return std::nullopt;
}

/// Calls visit(line, trimmedText) for every line of the section's body until
/// it returns false.
template <typename Visit>
void forEachBodyLine(std::string_view text, const Section& section, Visit visit) {
    for (std::size_t pos = section.header.end; pos < section.bodyEnd;) {
        const Line line = lineAt(text, pos);
        if (!visit(line, trimmedContent(text, line))) return;
        pos = line.end;
    }
}

/// The first entry line of the section with the given key.
std::optional<std::pair<Line, Entry>> findEntry(std::string_view text, const Section& section,
                                                std::string_view key) {
    std::optional<std::pair<Line, Entry>> found;
    forEachBodyLine(text, section, [&](const Line& line, std::string_view trimmed) {
        const auto entry = parseEntry(trimmed);
        if (entry && equalsIgnoreCase(entry->key, key)) found.emplace(line, *entry);
        return !found;
    });
    return found;
}

/// The last line of the section that is not empty; the header when the body
/// holds nothing.
Line lastNonEmptyLine(std::string_view text, const Section& section) {
    Line last = section.header;
    forEachBodyLine(text, section, [&](const Line& line, std::string_view trimmed) {
        if (!trimmed.empty()) last = line;
        return true;
    });
    return last;
}

std::string entryText(std::string_view key, std::string_view value) {
    std::string entry;
    entry.reserve(key.size() + value.size() + 1);
    entry.append(key).append("=").append(value);
    return entry;
}

}  // namespace

ProfileText::ProfileText(std::string bytes) : bytes_(std::move(bytes)) {}

ProfileText ProfileText::load(const std::filesystem::path& path) {
    return ProfileText(readWholeFile(path).value_or(std::string()));
}

bool ProfileText::hasSection(std::string_view section) const {
    return findSection(bytes_, section).has_value();
}

std::optional<std::string> ProfileText::value(std::string_view section,
                                              std::string_view key) const {
    const auto found = findSection(bytes_, section);
    if (!found) return std::nullopt;
    const auto entry = findEntry(bytes_, *found, key);
    if (!entry) return std::nullopt;
    return std::string(entry->second.value);
}

std::vector<std::string> ProfileText::sectionLines(std::string_view section,
                                                   std::size_t maxBytes) const {
    std::vector<std::string> lines;
    const auto found = findSection(bytes_, section);
    if (!found) return lines;
    std::size_t total = 0;
    forEachBodyLine(bytes_, *found, [&](const Line&, std::string_view trimmed) {
        if (trimmed.empty() || isComment(trimmed)) return true;
        total += trimmed.size() + 1;  // each line is counted with its terminator
        if (total > maxBytes) return false;
        lines.emplace_back(trimmed);
        return true;
    });
    return lines;
}

void ProfileText::setValue(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = entryText(key, value);
    const auto found = findSection(bytes_, section);
    if (!found) {
        if (!bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r') {
            bytes_.append(kNewLine);
        }
        bytes_.append("[").append(section).append("]").append(kNewLine);
        bytes_.append(entry).append(kNewLine);
        return;
    }
    if (const auto existing = findEntry(bytes_, *found, key)) {
        const Line& line = existing->first;
        bytes_.replace(line.begin, line.contentEnd - line.begin, entry);
        return;
    }
    // A new key goes after the section's last entry, so blank lines that
    // separate it from the next section stay where they are.
    const Line last = lastNonEmptyLine(bytes_, *found);
    std::string insertion;
    if (!last.hasEnding()) insertion.append(kNewLine);
    insertion.append(entry).append(kNewLine);
    bytes_.insert(last.end, insertion);
}

void ProfileText::setValues(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>>& keyValues) {
    for (const auto& [key, value] : keyValues) setValue(section, key, value);
}

void ProfileText::replaceEntries(std::string_view section,
                                 const std::function<bool(std::string_view key)>& matches,
                                 const std::vector<std::string>& lines) {
    const std::string block = joinCrLfLines(lines);
    const auto found = findSection(bytes_, section);
    if (!found) {
        if (!bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r') {
            bytes_.append(kNewLine);
        }
        bytes_.append("[").append(section).append("]").append(kNewLine).append(block);
        return;
    }
    // Rebuilt from the section's body: matching entry lines dropped, the new
    // block where the first of them was.
    std::string body;
    bool placed = false;
    forEachBodyLine(bytes_, *found, [&](const Line& line, std::string_view trimmed) {
        const auto entry = parseEntry(trimmed);
        if (entry && matches(entry->key)) {
            if (!placed) body.append(block);
            placed = true;
        } else {
            body.append(bytes_, line.begin, line.end - line.begin);
        }
        return true;
    });
    if (placed) {
        bytes_.replace(found->header.end, found->bodyEnd - found->header.end, body);
        return;
    }
    const Line last = lastNonEmptyLine(bytes_, *found);
    std::string insertion;
    if (!last.hasEnding() && !block.empty()) insertion.append(kNewLine);
    insertion.append(block);
    bytes_.insert(last.end, insertion);
}

int parseProfileInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(INT_MIN) : static_cast<std::int64_t>(INT_MAX);
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), limit);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

double parseProfileReal(std::string_view text) {
    // strtod needs a terminated string; the "C" locale keeps "." as the
    // decimal point whatever locale the program runs in.
    const std::string terminated(text);
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr)) return strtod(terminated.c_str(), nullptr);
    const double result = strtod_l(terminated.c_str(), nullptr, cLocale);
    freelocale(cLocale);
    return result;
}

std::string getProfileString(const std::filesystem::path& path, std::string_view section,
                             std::string_view key, std::string_view fallback) {
    const auto found = ProfileText::load(path).value(section, key);
    return found ? *found : std::string(fallback);
}

int getProfileInt(const std::filesystem::path& path, std::string_view section, std::string_view key,
                  int fallback) {
    // As with the platform function, a key with an empty value also gives
    // the fallback.
    const auto found = ProfileText::load(path).value(section, key);
    return (found && !found->empty()) ? parseProfileInt(*found) : fallback;
}

bool writeProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value) {
    auto existing = readWholeFile(path);
    if (!existing) {
        // Only a missing file starts empty; an unreadable one must not be
        // replaced by a file holding just this key.
        std::error_code ec;
        if (std::filesystem::exists(path, ec) || ec) return false;
    }
    ProfileText text(existing ? std::move(*existing) : std::string());
    text.setValue(section, key, value);
    return writeFileAtomically(path, text.bytes());
}

}  // namespace velmora
