// What the desktop programs tell the user when the recognition engine
// cannot be created: what to do first, in Japanese, the technical detail
// after it.
#pragma once

#include <QString>

namespace velmora {

/// "読取りエンジンを作成できませんでした。" followed by how to register the
/// engine (with the library found beside the program, or under ../lib, when
/// there is one) and, last, `detail` as the component reported it.
QString engineUnavailableMessage(const QString& programFolder, const QString& detail);

}  // namespace velmora
