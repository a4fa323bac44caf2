#include "common/qt/engine_help.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {
namespace {

const QString kLibraryName = QStringLiteral("libstrovik.so");

/// The engine library that came with the program, if any.
QString bundledLibrary(const QString& programFolder) {
    const QDir folder(programFolder);
    for (const QString& candidate : {kLibraryName, QStringLiteral("../lib/") + kLibraryName}) {
        const QFileInfo info(folder.filePath(candidate));
        if (info.isFile()) return info.canonicalFilePath();
    }
    return {};
}

}  // namespace

QString engineUnavailableMessage(const QString& programFolder, const QString& detail) {
    QString library = bundledLibrary(programFolder);
    if (library.isEmpty()) library = QStringLiteral("<libstrovik.so のパス>");
    QString text = QStringLiteral(
                       "読取りエンジンを作成できませんでした。\r\n\r\n"
                       "読取りエンジン (libstrovik.so) が登録されていないか、読み込めません。"
                       "端末で次のコマンドを実行してエンジンを登録し、プログラムを起動し直して"
                       "ください。\r\n\r\n    strovik-regsvr ") +
                   library;
    if (!detail.isEmpty()) text += QStringLiteral("\r\n\r\n詳細: ") + detail;
    return text;
}

}  // namespace velmora
