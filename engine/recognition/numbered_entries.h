// Lookup of numbered entries ("MARK0=", "MARK1=", ...) in a section's lines,
// the way the engine has always found them: for n = 0, 1, 2, ... the first
// line that contains the key text "<prefix><n>=" (case-sensitive, anywhere in
// the line) gives the text after that key text; the scan stops at the first
// missing n. Done with one pass over the lines instead of one search per n.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace strovik {

/// Values of the consecutive entries from index 0, at most `limit` of them.
std::vector<std::string> numberedEntries(const std::vector<std::string>& lines,
                                         std::string_view prefix, int limit);

/// Parses up to `count` integers written as "%d,%d,...": blanks may precede a
/// number, the commas must follow the numbers directly. Values beyond the int
/// range saturate. Returns how many were parsed.
int parseIntList(std::string_view text, int* out, int count);

}  // namespace strovik
