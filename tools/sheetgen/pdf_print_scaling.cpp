#include "tools/sheetgen/pdf_print_scaling.h"

#include <charconv>
#include <cstdio>

namespace sheetgen {
namespace {

constexpr std::string_view kPreference = "/ViewerPreferences << /PrintScaling /None >>";

bool isDelimiter(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '/' || c == '<' || c == '>';
}

/// The whole number after `key` (and blanks) in `text`, or nullopt.
std::optional<long long> numberAfter(std::string_view text, std::string_view key) {
    std::size_t at = 0;
    while ((at = text.find(key, at)) != std::string_view::npos) {
        std::size_t p = at + key.size();
        if (p < text.size() && !isDelimiter(text[p])) {  // "/Sizes" is not "/Size"
            at = p;
            continue;
        }
        while (p < text.size() && (text[p] == ' ' || text[p] == '\n' || text[p] == '\r')) ++p;
        long long value = 0;
        const auto [end, ec] = std::from_chars(text.data() + p, text.data() + text.size(), value);
        if (ec != std::errc() || end == text.data() + p) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

/// "N G R" after `key` in `text` as "N G", or empty.
std::string referenceAfter(std::string_view text, std::string_view key) {
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos) return {};
    const std::size_t start = at + key.size();
    const std::size_t end = text.find('R', start);
    if (end == std::string_view::npos) return {};
    std::string_view ref = text.substr(start, end - start);
    while (!ref.empty() && (ref.front() == ' ' || ref.front() == '\n')) ref.remove_prefix(1);
    while (!ref.empty() && (ref.back() == ' ' || ref.back() == '\n')) ref.remove_suffix(1);
    for (const char c : ref) {
        if (!(c == ' ' || (c >= '0' && c <= '9'))) return {};
    }
    return std::string(ref);
}

}  // namespace

std::optional<std::string> withActualSizePrinting(std::string_view pdf) {
    if (pdf.substr(0, 5) != "%PDF-") return std::nullopt;
    const std::size_t startxref = pdf.rfind("startxref");
    const std::size_t trailerAt = pdf.rfind("trailer", startxref);
    if (startxref == std::string_view::npos || trailerAt == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view trailer = pdf.substr(trailerAt, startxref - trailerAt);
    const std::optional<long long> previous = numberAfter(pdf.substr(startxref), "startxref");
    const std::optional<long long> size = numberAfter(trailer, "/Size");
    const std::string root = referenceAfter(trailer, "/Root");
    const std::string info = referenceAfter(trailer, "/Info");
    const std::size_t space = root.find(' ');
    if (!previous || !size || space == std::string::npos) return std::nullopt;
    long long generation = 0;
    const char* genEnd = root.data() + root.size();
    if (std::from_chars(root.data() + space + 1, genEnd, generation).ptr != genEnd ||
        generation > 65535) {
        return std::nullopt;
    }

    // The catalog: "N G obj << ... >> endobj", its dictionary closed last.
    const std::string header = root + " obj";
    std::size_t objAt = pdf.find("\n" + header);
    if (objAt == std::string_view::npos) return std::nullopt;
    objAt += 1;
    const std::size_t endAt = pdf.find("endobj", objAt);
    if (endAt == std::string_view::npos) return std::nullopt;
    std::string_view body = pdf.substr(objAt + header.size(), endAt - objAt - header.size());
    const std::size_t open = body.find("<<");
    const std::size_t close = body.rfind(">>");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open ||
        body.find("/Catalog") == std::string_view::npos ||
        body.find("/ViewerPreferences") != std::string_view::npos) {
        return std::nullopt;
    }

    std::string out(pdf);
    if (out.back() != '\n') out += '\n';
    const std::size_t objectOffset = out.size();
    out += header + "\n";
    out += std::string(body.substr(open, close - open));
    out += std::string(kPreference) + "\n>>\nendobj\n";
    const std::size_t xrefOffset = out.size();
    char entry[64];
    std::snprintf(entry, sizeof entry, "%010zu %05lld n \n", objectOffset, generation);
    out += "xref\n" + root.substr(0, space) + " 1\n" + entry;
    out += "trailer\n<<\n/Size " + std::to_string(*size) + "\n/Root " + root + " R\n";
    if (!info.empty()) out += "/Info " + info + " R\n";
    out += "/Prev " + std::to_string(*previous) + "\n>>\nstartxref\n" + std::to_string(xrefOffset) +
           "\n%%EOF\n";
    return out;
}

}  // namespace sheetgen
