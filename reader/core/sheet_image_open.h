// Opening a sheet's image file with the program the desktop associates with
// it, and the warning the result window shows when that fails.
#pragma once

#include <QString>
#include <functional>

namespace tarrow {

inline const QString kPathNotFound = QStringLiteral(u"パスが見つかりません。");
inline const QString kFileNotFound = QStringLiteral(u"ファイルが見つかりません。");
inline const QString kAccessDenied = QStringLiteral(u"アクセスは拒否されました。");
inline const QString kNoAssociation = QStringLiteral(u"関連付けが指定されていません。");

/// Asks `open` (the desktop's "open this file") to open `path` and returns
/// the warning to show, empty when it worked. A missing folder, a missing
/// file and an unreadable file are reported before asking; `open`
/// returning false means no program took the file.
QString openSheetImage(const QString& path, const std::function<bool(const QString&)>& open);

}  // namespace tarrow
