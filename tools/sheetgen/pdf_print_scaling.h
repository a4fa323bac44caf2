// Asks PDF viewers to print the templates at their actual size. A sheet
// printed "fit to page" comes out a few percent small, and its ovals then
// miss the definition's positions; the document's viewer preference
// /PrintScaling /None makes "actual size" the print dialog's default in the
// viewers that honour it.
//
// The preference is added as an incremental update, so the bytes the PDF
// writer produced stay as they are: a new revision of the catalog object
// (its dictionary with "/ViewerPreferences << /PrintScaling /None >>"), a
// cross-reference section for that one object, and a trailer carrying the
// previous /Size, /Root and /Info and /Prev = the previous startxref.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sheetgen {

/// `pdf` with the update appended; nullopt when `pdf` is not a PDF with a
/// classic cross-reference table and trailer (as Qt's writer makes), or
/// its catalog already carries viewer preferences.
std::optional<std::string> withActualSizePrinting(std::string_view pdf);

}  // namespace sheetgen
