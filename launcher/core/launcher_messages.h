// Every warning the launcher shows, in one place: the suite's shared
// opening messages (common/qt/desktop_open.h) and the launcher's own.
#pragma once

#include <QString>

#include "common/qt/desktop_open.h"

namespace pandle {

/// The window's title, also the title of every warning.
inline const QString kWindowTitle = QStringLiteral(u"Velmora3 メニュー");

using velmora::kAccessDenied;
using velmora::kCannotOpen;
using velmora::kFileNotFound;
using velmora::kNoAssociation;
using velmora::kPathNotFound;

/// A program file that the system cannot run (neither a binary nor a
/// script).
inline const QString kBadExecutable = QStringLiteral(u"不正な形式の実行ファイルです。");

/// The template dialog.
inline const QString kTemplateDialogTitle = QStringLiteral(u"ファイルを開く");
/// The dialog's filter in the suite's declared form (converted for Qt with
/// velmora::toQtFileFilter): the printable sheets the suite ships.
inline const QString kTemplateFilter =
    QStringLiteral(u"シートテンプレート (*.pdf;*.odt)|*.pdf;*.odt");

}  // namespace pandle
