// Feeds arbitrary text to the batch rename: the first line is the pattern,
// the second the sheet's label (as a read-values file may carry it), the
// rest its values. The copy must land in the output folder or nowhere:
// nothing may appear outside it, whatever pattern, label or values.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "reader/core/batch_rename.h"
#include "reader/core/prompter.h"
#include "reader/core/result_table.h"

namespace {

namespace fs = std::filesystem;

/// Chooses the output folder, declines every question, shows nothing.
class FolderPrompter final : public tarrow::Prompter {
public:
    explicit FolderPrompter(QString folder) : folder_(std::move(folder)) {}
    void message(const QString&, Icon) override {}
    Answer question(tarrow::QuestionId, const QString&) override { return Answer::No; }
    QString chooseFolder(tarrow::FolderId, const QString&, const QString&) override {
        return folder_;
    }
    QString chooseOpenFile(const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&) override { return {}; }
    std::optional<QString> inputText(tarrow::InputId, const QString&, const QString&,
                                     const QString&) override {
        return std::nullopt;
    }

private:
    QString folder_;
};

/// root/images/scan.jpg (the only image), root/out, root/data.
const fs::path& root() {
    static const fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "velmora-fuzz-rename-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return fs::path(pattern);
    }();
    return path;
}

void removeRoot() {
    std::error_code ec;
    fs::remove_all(root(), ec);
}

/// True when root holds only its fixed entries, at most one regular file
/// directly in out/ and the log in data/.
bool onlyExpectedEntries() {
    int copies = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root())) {
        const fs::path relative = entry.path().lexically_relative(root());
        if (relative == "images" || relative == "images/scan.jpg" || relative == "out" ||
            relative == "data" || relative == "data/log.txt") {
            continue;
        }
        if (relative.parent_path() != "out" || !entry.is_regular_file()) return false;
        ++copies;
    }
    return copies <= 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const char* sub : {"images", "out", "data"}) fs::create_directories(root() / sub);
    QFile scan(QString::fromStdString((root() / "images/scan.jpg").string()));
    if (!scan.open(QIODevice::WriteOnly) || scan.write("scan") != 4) std::abort();
    std::atexit(removeRoot);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'\n');
    const QString pattern = parts.value(0);
    const QString label = parts.value(1, QStringLiteral("scan.jpg"));
    const QString values = parts.size() > 2 ? parts.mid(2).join(u',') : QStringLiteral("1");

    tarrow::ResultTable table;
    table.initMarks(QString());
    const qsizetype n = values.count(u',') + 1;
    table.storeSheet(1, label, values,
                     QStringList(n, tarrow::ResultTable::kNoMeasurement).join(u','),
                     QStringList(n, QStringLiteral("1")).join(u','), 0, -1, false);
    const QString images = QString::fromStdString((root() / "images").string());
    table.setSheetPaths(QStringList{images + u'/' + label});

    const QString out = QString::fromStdString((root() / "out").string());
    FolderPrompter prompter(out);
    tarrow::RenameRequest request;
    request.pattern = pattern;
    request.dataFolder = QString::fromStdString((root() / "data").string());
    tarrow::runBatchRename(table, prompter, request);
    if (!onlyExpectedEntries()) std::abort();
    // Start the next input from the same state.
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    QFile::remove(request.dataFolder + QStringLiteral("/log.txt"));
    return 0;
}
