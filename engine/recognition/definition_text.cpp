#include "engine/recognition/definition_text.h"

#include <cstdarg>
#include <cstdio>

#include "common/text_codec.h"

namespace strovik {
namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kCommentUtf8 = "; ＝の両側に空白を含まないように記述してください。";
constexpr int kZeroMarkColorMin = 150;
constexpr double kZeroMarkRate = 0.5;
constexpr int kOvalColorMin = 100;
constexpr int kOvalColorMax = 200;

// Appends one printf-formatted line and its CR LF.
[[gnu::format(printf, 2, 3)]] void line(std::string& out, const char* format, ...) {
    char buffer[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    out += buffer;
    out += kEol;
}

void sectionGap(std::string& out) {
    out += kEol;
    out += kEol;
}

void writeComment(std::string& out) {
    line(out, ";");
    line(out, ";");
    out += velmora::utf8ToCp932Lenient(kCommentUtf8);
    out += kEol;
    line(out, ";");
    line(out, ";");
    out += kEol;
}

void writeZeroMarks(std::string& out, const DefinitionText& d) {
    line(out, "[ZEROMARK]");
    line(out, "ZEROMARK_RADIUS=%d", d.zeroRadius);
    for (int i = 0; i < 3; ++i) {
        line(out, "ZEROMARK%d_X=%d", i + 1, d.zeroMarks[std::size_t(i)].x);
        line(out, "ZEROMARK%d_Y=%d", i + 1, d.zeroMarks[std::size_t(i)].y);
    }
    line(out, "ZEROMARK_COLOR_MIN=%d", kZeroMarkColorMin);
    line(out, "ZEROMARK_RATE=%f", kZeroMarkRate);
}

void writeMarks(std::string& out, const DefinitionText& d) {
    line(out, "[MARK]");
    line(out, "OVALMARK_WIDTH=%d", d.ovalWidth);
    line(out, "OVALMARK_HEIGHT=%d", d.ovalHeight);
    line(out, "OVALMARK_COLOR_MIN=%d", kOvalColorMin);
    line(out, "OVALMARK_COLOR_MAX=%d", kOvalColorMax);
    for (std::size_t i = 0; i < d.marks.size(); ++i) {
        const DefinitionText::Mark& m = d.marks[i];
        line(out, "MARK%d=%d,%d,%d,%d", int(i), m.question, m.choice, m.x, m.y);
    }
}

void writeAreas(std::string& out, const DefinitionText& d) {
    line(out, "[IMAGEAREA]");
    for (std::size_t i = 0; i < d.areas.size(); ++i) {
        const auto& c = d.areas[i];
        line(out, "IMAGEAREA%d=%d,%d,%d,%d,%d,%d,%d,%d", int(i), c[0].x, c[0].y, c[1].x, c[1].y,
             c[2].x, c[2].y, c[3].x, c[3].y);
    }
}

void writeMulti(std::string& out, const DefinitionText& d) {
    std::string list;
    for (std::size_t i = 0; i < d.multiQuestions.size(); ++i) {
        if (i > 0) list += ',';
        list += std::to_string(d.multiQuestions[i]);
    }
    line(out, "[MULTI]");
    out += "QUESTIONS=" + list;
    out += kEol;
}

void writeSystem(std::string& out, const DefinitionText& d) {
    line(out, "[SYSTEM]");
    line(out, "DPI_X=%d", d.dpiX);
    line(out, "DPI_Y=%d", d.dpiY);
    line(out, "DEBUG=");
}

}  // namespace

std::string definitionFileBytes(const DefinitionText& definition) {
    std::string out;
    writeComment(out);
    writeZeroMarks(out, definition);
    sectionGap(out);
    writeMarks(out, definition);
    sectionGap(out);
    writeAreas(out, definition);
    sectionGap(out);
    writeMulti(out, definition);
    sectionGap(out);
    writeSystem(out, definition);
    return out;
}

}  // namespace strovik
