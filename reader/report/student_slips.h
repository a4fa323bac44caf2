// One slip per student ("-個人票.pdf"): an A4 page with the student number
// (when the sheet has one) and the sheet's label,
// the total against the highest possible total and the class mean, and per
// scored question the answer read, the key, ✓ or ✗ and the points earned.
// A test too long for one page continues on the next page of the same
// student.
#pragma once

#include <QString>

#include "reader/core/item_analysis.h"

namespace tarrow {

/// Writes the slips of every student of `analysis` to `path` (replaced
/// atomically). False with a one-line `error` when it could not be written.
bool writeStudentSlips(const ItemAnalysis& analysis, const QString& source, const QString& path,
                       QString* error = nullptr);

}  // namespace tarrow
