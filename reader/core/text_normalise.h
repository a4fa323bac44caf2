// Normalisation of typed answer text: full-width ASCII to half-width and
// Japanese commas to ASCII commas, as the table's input dialog applies them.
#pragma once

#include <QString>

namespace tarrow {

/// Converts the full-width ASCII block (U+FF01..U+FF5E) to U+0021..U+007E
/// and the ideographic space (U+3000) to a space. Everything else, half-width
/// katakana included, is kept as it is.
QString toHalfWidth(const QString& text);

/// Replaces every ideographic comma "、" (U+3001) and full-width comma "，"
/// (U+FF0C) with ",".
QString normaliseCommas(const QString& text);

}  // namespace tarrow
