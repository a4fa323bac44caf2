// The main window's input list and its two drop targets, without widgets:
// the order of files chosen or dropped together, expanding dropped folders,
// and the lines added to the list.
#pragma once

#include <QString>
#include <QStringList>

namespace tarrow {

/// Files chosen or dropped together arrive with the focused one first: when
/// there is more than one and the first sorts after the last (character
/// codes), the first moves to the end.
QStringList focusedFirstToEnd(QStringList paths);

/// The dropped paths as input-list entries: focusedFirstToEnd(), then each
/// folder is replaced by every file directly inside it (not its subfolders,
/// whatever the extension, in name order) and each file stays as it is.
/// A path that is neither (gone meanwhile) is kept as a file.
QStringList expandDroppedPaths(const QStringList& paths);

/// The text added to the input list for these entries: each followed by a
/// line end.
QString inputListLines(const QStringList& entries);

/// The box's text as the run's input list, whose lines end with CR LF:
/// every line end (CR LF, lone LF, lone CR) becomes CR LF; a last line
/// without an end stays without one.
QString inputListWithCrLf(const QString& boxText);

/// What dropping onto the definition box leaves there: dropped text
/// replaces it, dropped files put the first path there; nothing dropped
/// keeps `current`.
QString droppedDefinition(const QString& current, const QStringList& paths, const QString& text,
                          bool hasText);

}  // namespace tarrow
