// Pieces the editor's small dialogs share: a labelled spin box row, a text
// line, and the OK / "ｷｬﾝｾﾙ" buttons.
#pragma once

#include <QString>

class QDialog;
class QFormLayout;
class QSpinBox;
class QVBoxLayout;

namespace dravel {

/// The most choices a count edit takes (three digits). The edits take what
/// the user types; counts past what the reader holds are refused with a
/// message when the dialog's values are used.
inline constexpr int kMaxTypedChoices = 999;

/// Adds "caption [spin]" to `form`; the spin box is named `objectName`.
QSpinBox* addSpinRow(QFormLayout* form, const QString& caption, const char* objectName, int minimum,
                     int maximum, int value);

/// Adds one line of wrapped text.
void addTextLine(QVBoxLayout* layout, const QString& text);

/// Adds OK (default) and "ｷｬﾝｾﾙ", wired to accept and reject.
void addOkCancel(QDialog* dialog, QVBoxLayout* layout);

}  // namespace dravel
