// Line-ended text as the suite's files hold it: every line, the last one
// included, followed by CR LF. Text read back or typed may end its lines
// with CR LF, a lone LF or a lone CR; each of those is one line end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

/// The line end every file the suite writes uses.
inline constexpr char kCrLf[] = "\r\n";

/// Appends `line` and CR LF to `out`.
void appendCrLfLine(std::string& out, std::string_view line);

/// Appends each line followed by CR LF; nothing for no lines.
void appendCrLfLines(std::string& out, const std::vector<std::string>& lines);

/// Each line followed by CR LF: "" for no lines, "\r\n" for one empty line.
std::string joinCrLfLines(const std::vector<std::string>& lines);

/// The length of the line end at byte `i` of `text`: 2 for CR LF, 1 for a
/// lone CR or LF, 0 when `text[i]` ends no line (or `i` is past the end).
std::size_t lineEndLength(std::string_view text, std::size_t i);

/// The lines of `text`, without their ends. A line ends at CR LF, a lone LF
/// or a lone CR; a last line without an end is kept. "" gives no lines,
/// "\r\n" one empty line, "a\r\rb" the lines "a", "" and "b".
std::vector<std::string> splitLines(std::string_view text);

/// `text` with every line end (CR LF, lone LF, lone CR) written as CR LF and
/// every other byte kept; a last line without an end stays without one.
std::string withCrLfLineEnds(std::string_view text);

}  // namespace velmora
