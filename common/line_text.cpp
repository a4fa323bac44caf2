#include "common/line_text.h"

namespace velmora {

namespace {

constexpr std::size_t kCrLfBytes = sizeof kCrLf - 1;

}  // namespace

std::size_t lineEndLength(std::string_view text, std::size_t i) {
    if (i >= text.size()) return 0;
    if (text[i] == '\n') return 1;
    if (text[i] != '\r') return 0;
    return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
}

void appendCrLfLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kCrLf, kCrLfBytes);
}

void appendCrLfLines(std::string& out, const std::vector<std::string>& lines) {
    std::size_t size = out.size();
    for (const std::string& line : lines) size += line.size() + kCrLfBytes;
    out.reserve(size);
    for (const std::string& line : lines) appendCrLfLine(out, line);
}

std::string joinCrLfLines(const std::vector<std::string>& lines) {
    std::string out;
    appendCrLfLines(out, lines);
    return out;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = lineEndLength(text, i);
        if (end == 0) {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += end;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string withCrLfLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = lineEndLength(text, i);
        if (end == 0) {
            out += text[i++];
            continue;
        }
        out.append(kCrLf, kCrLfBytes);
        i += end;
    }
    return out;
}

}  // namespace velmora
