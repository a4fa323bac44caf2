// Line-ended text as the suite's files hold it: every line, the last one
// included, followed by CR LF.
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

}  // namespace velmora
