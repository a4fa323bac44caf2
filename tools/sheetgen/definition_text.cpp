// The definition file exactly as the definition editor writes it: CP932
// comment, CR LF line ends, sections in fixed order with fixed constants.
#include <cstdarg>
#include <cstdio>

#include "common/text_codec.h"
#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kSectionGap = "\r\n\r\n";
constexpr const char* kCommentUtf8 = "; ＝の両側に空白を含まないように記述してください。";
constexpr int kZeroColorMin = 150;
constexpr double kZeroRate = 0.5;
constexpr int kOvalColorMin = 100;
constexpr int kOvalColorMax = 200;

// Appends one printf-formatted line and its CR LF.
[[gnu::format(printf, 2, 3)]] void line(std::string& out, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    out += buffer;
    out += kEol;
}

void writeComment(std::string& out) {
    line(out, ";");
    line(out, ";");
    out += velmora::utf8ToCp932(kCommentUtf8).value_or(velmora::utf8ToCp932Lenient(kCommentUtf8));
    out += kEol;
    line(out, ";");
    line(out, ";");
    out += kEol;
}

void writeZeroMarks(std::string& out, const Layout& l) {
    line(out, "[ZEROMARK]");
    line(out, "ZEROMARK_RADIUS=%d", l.zeroRadius);
    for (int i = 0; i < 3; ++i) {
        line(out, "ZEROMARK%d_X=%d", i + 1, l.zero[i].x);
        line(out, "ZEROMARK%d_Y=%d", i + 1, l.zero[i].y);
    }
    line(out, "ZEROMARK_COLOR_MIN=%d", kZeroColorMin);
    line(out, "ZEROMARK_RATE=%f", kZeroRate);
}

void writeMarks(std::string& out, const Layout& l) {
    line(out, "[MARK]");
    line(out, "OVALMARK_WIDTH=%d", l.ovalWidth);
    line(out, "OVALMARK_HEIGHT=%d", l.ovalHeight);
    line(out, "OVALMARK_COLOR_MIN=%d", kOvalColorMin);
    line(out, "OVALMARK_COLOR_MAX=%d", kOvalColorMax);
    int number = 0;
    for (std::size_t q = 0; q < l.ovals.size(); ++q) {
        for (std::size_t c = 0; c < l.ovals[q].size(); ++c) {
            const Pt& p = l.ovals[q][c];
            line(out, "MARK%d=%d,%d,%d,%d", number++, static_cast<int>(q), static_cast<int>(c), p.x,
                 p.y);
        }
    }
}

void writeAreas(std::string& out, const Layout& l) {
    line(out, "[IMAGEAREA]");
    for (std::size_t i = 0; i < l.areas.size(); ++i) {
        const AreaRect& a = l.areas[i];
        const int right = a.x + a.width - 1;
        const int bottom = a.y + a.height - 1;
        line(out, "IMAGEAREA%d=%d,%d,%d,%d,%d,%d,%d,%d", static_cast<int>(i), a.x, a.y, right, a.y,
             right, bottom, a.x, bottom);
    }
}

void writeMulti(std::string& out, const Layout& l) {
    std::string list;
    for (std::size_t i = 0; i < l.multiQuestions.size(); ++i) {
        if (i > 0) list += ',';
        list += std::to_string(l.multiQuestions[i]);
    }
    out += "[MULTI]";
    out += kEol;
    out += "QUESTIONS=" + list;
    out += kEol;
}

void writeSystem(std::string& out, const Layout& l) {
    line(out, "[SYSTEM]");
    line(out, "DPI_X=%d", l.dpi);
    line(out, "DPI_Y=%d", l.dpi);
    line(out, "DEBUG=");
}

}  // namespace

std::string definitionText(const Layout& layout) {
    std::string out;
    writeComment(out);
    writeZeroMarks(out, layout);
    out += kSectionGap;
    writeMarks(out, layout);
    out += kSectionGap;
    writeAreas(out, layout);
    out += kSectionGap;
    writeMulti(out, layout);
    out += kSectionGap;
    writeSystem(out, layout);
    return out;
}

}  // namespace sheetgen
