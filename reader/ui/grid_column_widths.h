// On-screen widths of the result grid's columns. The table keeps its
// nominal pixel widths; the screen widens a column where the interface
// font needs more room, so header numbers and "-1" never run into their
// neighbours and file names stay readable.
#pragma once

#include <QFontMetrics>

namespace tarrow {

class TextGrid;

/// Nominal width, widened to fit the column's header text, "-1" (question
/// columns) or its widest label (column 0, at most kMaxLabelWidth), with a
/// blank on each side. A hidden column (nominal width 0) stays 0.
int displayColumnWidth(const TextGrid& grid, int col, const QFontMetrics& metrics);

inline constexpr int kMaxLabelWidth = 320;

}  // namespace tarrow
