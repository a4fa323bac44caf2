#include "common/line_text.h"

namespace velmora {

namespace {

constexpr std::size_t kCrLfBytes = sizeof kCrLf - 1;

}  // namespace

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

}  // namespace velmora
