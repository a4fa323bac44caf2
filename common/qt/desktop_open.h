// Opening a file or a program with the desktop's handler, and the warning
// the suite shows when that fails. The checks that can be made before
// asking the desktop (missing folder, missing file, unreadable file) are
// made first, so a failure names its cause.
#pragma once

#include <QString>
#include <functional>

namespace velmora {

inline const QString kPathNotFound = QStringLiteral(u"パスが見つかりません。");
inline const QString kFileNotFound = QStringLiteral(u"ファイルが見つかりません。");
inline const QString kAccessDenied = QStringLiteral(u"アクセスは拒否されました。");
inline const QString kNoAssociation = QStringLiteral(u"関連付けが指定されていません。");
inline const QString kCannotOpen = QStringLiteral(u"ファイルを開けません。");

/// Asks `open` (the desktop's "open this file", given the absolute path) to
/// open `path` and returns the warning to show, empty when it worked: a
/// missing folder gives kPathNotFound, a missing file or a folder
/// kFileNotFound, an unreadable file kAccessDenied, and `open` returning
/// false (no program took the file) kNoAssociation.
QString openWithDesktop(const QString& path, const std::function<bool(const QString&)>& open);

/// A folder path with a trailing "/" (added unless present); empty stays
/// empty.
QString folderWithSeparator(const QString& folder);

}  // namespace velmora
