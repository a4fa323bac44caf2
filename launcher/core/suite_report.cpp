#include "launcher/core/suite_report.h"

#include <QFileInfo>

#include "launcher/core/program_starter.h"

namespace pandle {
namespace {

void addLine(SuiteReport& report, const QString& name, const QString& path, bool found) {
    report.text += name + QStringLiteral(": ") + path +
                   (found ? QStringLiteral(" (found)\n") : QStringLiteral(" (missing)\n"));
    report.complete = report.complete && found;
}

}  // namespace

SuiteReport reportSuite(const SuitePaths& suite, const UserFolders& user) {
    SuiteReport report;
    report.complete = true;
    addLine(report, QStringLiteral("programs"), suite.programFolder(),
            QFileInfo(suite.programFolder()).isDir());
    for (const char16_t* name : {SuiteFiles::kScanner, SuiteFiles::kEditor, SuiteFiles::kReader}) {
        const QString program = suite.program(QString::fromUtf16(name));
        addLine(report, QString::fromUtf16(name), program, startProblem(program).isEmpty());
    }
    addLine(report, QStringLiteral("manual"), suite.manual(), QFileInfo(suite.manual()).isFile());
    addLine(report, QStringLiteral("templates"), suite.shippedTemplates(),
            QFileInfo(suite.shippedTemplates()).isDir());
    // The user's folders are created on demand; their absence is no fault.
    report.text += QStringLiteral("user templates: ") + user.templates + u'\n';
    return report;
}

}  // namespace pandle
