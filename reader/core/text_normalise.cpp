#include "reader/core/text_normalise.h"

namespace tarrow {

namespace {

constexpr char16_t kFullWidthFirst = 0xFF01;
constexpr char16_t kFullWidthLast = 0xFF5E;
constexpr char16_t kFullWidthToAscii = 0xFF01 - 0x0021;
constexpr char16_t kIdeographicSpace = 0x3000;
constexpr char16_t kIdeographicComma = 0x3001;
constexpr char16_t kFullWidthComma = 0xFF0C;

}  // namespace

QString toHalfWidth(const QString& text) {
    QString out = text;
    for (QChar& ch : out) {
        const char16_t u = ch.unicode();
        if (u >= kFullWidthFirst && u <= kFullWidthLast) {
            ch = QChar(char16_t(u - kFullWidthToAscii));
        } else if (u == kIdeographicSpace) {
            ch = QChar(u' ');
        }
    }
    return out;
}

QString normaliseCommas(const QString& text) {
    QString out = text;
    for (QChar& ch : out) {
        const char16_t u = ch.unicode();
        if (u == kIdeographicComma || u == kFullWidthComma) ch = QChar(u',');
    }
    return out;
}

}  // namespace tarrow
