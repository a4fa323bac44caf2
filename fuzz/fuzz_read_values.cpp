// Feeds arbitrary bytes to the read-values reader, as a file since it takes
// a path, and checks that what it loads writes back in a form that loads to
// the same file again: once written, a read-values file with a sheet is a
// fixed point. (Without sheet lines the key line alone sets the column
// count, which the format leaves two short.) The score file of the loaded
// table is built as well (any key and points).
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input_file.h"
#include "reader/core/csv_text.h"
#include "reader/core/result_files.h"
#include "reader/core/result_table.h"

namespace {

const QString& temporaryPath() {
    static const QString path = QString::fromStdString(velmora::fuzz::inputPath());
    return path;
}

/// Loads the temporary file as the opener does (one sheet path per sheet
/// line); the lines it writes back, or none when it is not a read-values
/// file or has no sheet.
bool loadAndWrite(QStringList* lines) {
    tarrow::ResultTable table;
    int sheets = 0;
    if (tarrow::loadReadValues(table, temporaryPath(), QString(), false, &sheets) !=
            tarrow::LoadOutcome::Loaded ||
        sheets == 0) {
        return false;
    }
    QStringList paths;
    for (int s = 1; s <= sheets; ++s) paths << table.label(s);
    table.setSheetPaths(std::move(paths));
    *lines = tarrow::readValuesLines(table, false);
    tarrow::scoreFileLines(table, false);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    temporaryPath();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::writeInput(data, size);
    QStringList once;
    if (!loadAndWrite(&once)) return 0;
    const QByteArray written = tarrow::encodeLines(once);
    velmora::fuzz::writeInput(written.constData(), std::size_t(written.size()));
    QStringList twice;
    if (!loadAndWrite(&twice) || tarrow::encodeLines(twice) != written) std::abort();
    return 0;
}
