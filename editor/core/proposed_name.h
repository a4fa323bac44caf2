// The name the editor proposes for a new definition:
// "マーク情報ファイル-YYMMDD-NNNN.ini", and once an image is loaded
// "マーク情報ファイル-YYMMDD-NNNN-<image file name>.ini". No folder: it
// resolves against the current directory.
#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace dravel {

/// Where the name's date and number come from; tests fix both.
struct NameSources {
    std::function<QDate()> today;
    /// A number 0..32767, scaled to 0..9999 for the name.
    std::function<int()> random;

    /// The local date and a generator seeded from the clock.
    static NameSources system();
};

/// `imagePath` empty: no image part.
QString proposedFileName(QDate date, int random, const QString& imagePath);

}  // namespace dravel
