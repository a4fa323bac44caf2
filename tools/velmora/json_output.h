// JSON text for the read command: one object per image and line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reader/core/app_settings.h"
#include "reader/core/sheet_reading.h"

namespace velmora::cli {

/// A JSON string literal (with the quotes) for UTF-8 text. Quotes and
/// backslashes are escaped with a backslash and control characters below
/// 0x20 as \u00XX. Bytes that are not part of a well-formed UTF-8 sequence
/// (a path on Linux may hold any bytes) are escaped one by one as \u00XX of
/// the byte value, so the output stays valid JSON and the original bytes can
/// be recovered by taking each such code point as a byte.
std::string jsonString(std::string_view text);

/// A JSON array of the engine's comma-joined numbers, each field copied
/// verbatim ("150.0,0.0" -> "[150.0,0.0]"); an empty string gives "[]". A
/// field that is not a JSON number (for example "nan") is written as null.
std::string jsonNumberList(std::string_view commaJoined);

/// An angle in radians with "%.17g", or null when it is not finite.
std::string jsonAngle(double radians);

/// Dot string of one multi-answer question.
struct QuestionDots {
    int question = 0;  ///< 0-based question index
    std::string dots;  ///< the engine's comma-joined dot counts, verbatim
};

/// The multi-answer questions of a reading, each once, in list order: the
/// k-th non-empty field of the list with the k-th dot string; fields that
/// are no question index, and repeats, are left out.
std::vector<QuestionDots> distinctQuestionDots(const tarrow::SheetReading& reading);

/// The line for one image (its path as given or as expanded from a folder),
/// without the trailing newline:
/// {"image": "...", "status": 0, "answers": [...], "reliability": [...],
///  "marked": [...], "dots": {"29": [...]}, "values": ["3","-1","1 3"],
///  "review": ["","nomark","band"], "offset": [dx, dy], "angle": a,
///  "rotated": 0, "skew": s}
/// and for a failed image only {"image": "...", "status": -2}. `answers` is
/// the engine's darkest choice; `values` and `review` are what the result
/// table shows under the thresholds and options of `review` (a value as its
/// cell text, the doubt as reviewKindName).
std::string formatRecord(const std::string& image, const tarrow::SheetReading& reading,
                         const tarrow::AppSettings& review = {});

}  // namespace velmora::cli
