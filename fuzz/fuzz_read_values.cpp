// Feeds arbitrary bytes to the read-values reader, as a file since it takes
// a path, and checks that what it loads writes back in a form that loads to
// the same file again: once written, a read-values file with a sheet is a
// fixed point. (Without sheet lines the key line alone sets the column
// count, which the format leaves two short.) The score file of the loaded
// table is built as well (any key and points).
#include <unistd.h>

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "reader/core/csv_text.h"
#include "reader/core/result_files.h"
#include "reader/core/result_table.h"

namespace {

std::string makeTemporaryFile() {
    std::string path =
        (std::filesystem::temp_directory_path() / "velmora-fuzz-csv-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) std::abort();
    ::close(fd);
    return path;
}

const QString& temporaryPath() {
    static const QString path = QString::fromStdString(makeTemporaryFile());
    return path;
}

void removeTemporaryFile() {
    std::remove(temporaryPath().toStdString().c_str());
}

void writeBytes(const void* data, std::size_t size) {
    std::FILE* file = std::fopen(temporaryPath().toStdString().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
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
    std::atexit(removeTemporaryFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeBytes(data, size);
    QStringList once;
    if (!loadAndWrite(&once)) return 0;
    const QByteArray written = tarrow::encodeLines(once);
    writeBytes(written.constData(), std::size_t(written.size()));
    QStringList twice;
    if (!loadAndWrite(&twice) || tarrow::encodeLines(twice) != written) std::abort();
    return 0;
}
