// `velmora rename READVALUES.csv --images DIR --to DIR --pattern P`: copies
// every sheet's image under a name made from its read values, as the rename
// dialog does, and logs the copies in log.txt of the data folder.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "reader/core/batch_rename.h"
#include "reader/core/result_table.h"
#include "tools/velmora/batch_options.h"
#include "tools/velmora/command_guard.h"
#include "tools/velmora/read_values_loader.h"
#include "tools/velmora/result_commands.h"

namespace velmora::cli {
namespace {

const QString kDataSubfolder = QStringLiteral("velmora");

/// The data folder (the documents folder's "velmora" subfolder) or the
/// folder given; created when missing. Empty when it cannot be.
QString dataFolder(const std::string& logDir) {
    QString folder = QString::fromStdString(logDir);
    if (folder.isEmpty()) {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty()) return {};
        folder = QDir(documents).filePath(kDataSubfolder);
    }
    return QDir().mkpath(folder) ? folder : QString();
}

QString absolute(const std::string& folder) {
    return QFileInfo(QString::fromStdString(folder)).absoluteFilePath();
}

std::string folderProblem(const RenameOptions& o) {
    if (!QFileInfo(QString::fromStdString(o.images)).isDir()) {
        return "--images folder does not exist: " + o.images;
    }
    if (!QFileInfo(QString::fromStdString(o.to)).isDir()) {
        return "--to folder does not exist: " + o.to;
    }
    return {};
}

int rename(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Parsed<RenameOptions> parsed = parseRenameArguments(args);
    if (const int early = helpOrError(parsed, renameUsage(), out, err); early >= 0) return early;
    const RenameOptions& o = parsed.options;
    if (const std::string problem = folderProblem(o); !problem.empty()) {
        err << "velmora: " << problem << '\n';
        return kExitUsage;
    }
    tarrow::RenameRequest request;
    request.dataFolder = dataFolder(o.logDir);
    if (request.dataFolder.isEmpty()) {
        err << "velmora: cannot create the data folder for log.txt\n";
        return kExitUsage;
    }
    const tarrow::AppSettings& settings = o.settings;
    HeadlessPrompter prompter(err);
    prompter.setAnswer(tarrow::QuestionId::ReplaceRenamedCopy,
                       o.overwrite ? tarrow::Prompter::Answer::Yes : tarrow::Prompter::Answer::No);
    // A folder browser answers with absolute paths.
    prompter.answerFolder(tarrow::FolderId::ImageFolder, absolute(o.images));
    prompter.answerFolder(tarrow::FolderId::RenameTarget, absolute(o.to));
    tarrow::ResultTable table;
    if (!loadReadValuesFile(o.input, settings, prompter, table, err)) return kExitUsage;
    request.prefix = QString::fromStdString(o.prefix);
    request.pattern = QString::fromStdString(o.pattern);
    request.postfix = QString::fromStdString(o.postfix);
    const tarrow::RenameSummary summary = tarrow::runBatchRename(table, prompter, request);
    if (!summary.logPath.isEmpty()) out << summary.logPath.toStdString() << '\n';
    if (!summary.completed && !o.overwrite && !prompter.questions().isEmpty()) {
        err << "velmora: existing files are kept; give --overwrite to replace them\n";
    }
    return summary.completed ? kExitOk : kExitUsage;
}

}  // namespace

int runRenameCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return guarded(err, [&] { return rename(args, out, err); });
}

}  // namespace velmora::cli
