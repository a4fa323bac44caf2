#include "tools/velmora/batch_read_command.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <exception>
#include <optional>

#include "reader/core/batch_run.h"
#include "reader/core/csv_opener.h"
#include "reader/core/file_name_bytes.h"
#include "reader/core/parallel_reader.h"
#include "reader/core/result_table.h"
#include "reader/core/review_navigation.h"
#include "reader/core/save_results.h"
#include "reader/core/session_engine.h"
#include "tools/velmora/batch_options.h"
#include "tools/velmora/command_line.h"
#include "tools/velmora/exit_codes.h"
#include "tools/velmora/headless_prompter.h"
#include "tools/velmora/image_list.h"
#include "tools/velmora/read_ahead_source.h"
#include "tools/velmora/read_gate.h"

namespace velmora::cli {
namespace {

/// Everything one invocation works with.
struct Job {
    BatchReadOptions options;
    tarrow::AppSettings settings;
    QString definition;
    QStringList images;
};

/// What one batch run (after an optional key file) gave.
struct RunOutcome {
    bool keyLoaded = true;
    tarrow::BatchResult batch;
};

/// One batch run over `run` into `table`, with the key file first when one
/// was given (as opening a read-values file with a filled input list).
RunOutcome runOnce(const Job& job, tarrow::BatchRun& run, HeadlessPrompter& prompter,
                   tarrow::ResultTable& table) {
    tarrow::BatchInputs inputs;
    inputs.inputList = job.images.join(QStringLiteral("\r\n"));
    inputs.definitionPath = job.definition;
    RunOutcome outcome;
    if (job.options.key.empty()) {
        outcome.batch = run.run(inputs, false);
        return outcome;
    }
    const tarrow::CsvOpenContext context{run, prompter, prompter, table, job.settings};
    const tarrow::CsvOpenResult opened =
        tarrow::openReadValuesFile(context, inputs, QString::fromStdString(job.options.key));
    outcome.keyLoaded = opened.outcome == tarrow::CsvOpenOutcome::Reread && opened.run;
    if (outcome.keyLoaded) outcome.batch = *opened.run;
    return outcome;
}

std::unique_ptr<HeadlessPrompter> makePrompter(const Job& job, std::ostream& err) {
    auto prompter = std::make_unique<HeadlessPrompter>(err, job.options.verbose);
    prompter->answerFolder(tarrow::FolderId::CropFolder,
                           QString::fromStdString(job.options.cropsDir));
    prompter->setSaveFile(QString::fromStdString(job.options.output));
    return prompter;
}

/// What the workers read: each image once (two workers must not write the
/// same crops at once), none when the run will refuse the inputs before
/// reading anything, with the settings, requests and crop folder the run
/// will use (the headless prompter answers the crop folder question with
/// --crops). nullopt when a setting is no number (the run fails on it).
std::optional<tarrow::ParallelJob> readAheadJob(const Job& job) {
    const std::optional<tarrow::ReadingSettings> settings =
        tarrow::readingSettings(job.settings, job.definition);
    if (!settings) return std::nullopt;
    tarrow::ParallelJob ahead;
    ahead.settings = *settings;
    ahead.jobs = job.options.jobs;
    if (!tarrow::definitionProblem(job.definition) && !tarrow::inputEntryProblem(job.images)) {
        QStringList unique = job.images;
        unique.removeDuplicates();
        for (const QString& image : unique) {
            ahead.requests.push_back({tarrow::pathBytes(image), {}});
        }
    }
    const QString crops = QString::fromStdString(job.options.cropsDir);
    if (!crops.isEmpty()) {
        ahead.cropBase = [crops](const std::string& image) {
            return tarrow::pathBytes(tarrow::cropBaseFor(crops, tarrow::pathFromBytes(image)));
        };
    }
    return ahead;
}

/// Reads on several engines while the run takes the readings in order.
/// nullopt when the run asked for anything the workers did not read (the
/// caller reads again on one engine).
std::optional<RunOutcome> runParallel(const Job& job, const BatchEngines& engines,
                                      HeadlessPrompter& prompter, tarrow::ResultTable& table,
                                      std::ostream& err) {
    std::optional<tarrow::ParallelJob> ahead = readAheadJob(job);
    if (!ahead) return std::nullopt;
    tarrow::ParallelReader reader(std::move(*ahead), engines.worker);
    if (!reader.error().empty()) {
        err << "velmora: " << reader.error() << "; reading on one thread\n";
        return std::nullopt;
    }
    ReadAheadSource source(reader);
    tarrow::BatchRun run(source, prompter, prompter, table, job.settings);
    RunOutcome outcome = runOnce(job, run, prompter, table);
    if (!source.diverged()) return outcome;
    err << "velmora: parallel reading did not match the run (" << source.divergence()
        << "); reading again on one thread\n";
    return std::nullopt;
}

/// Why the paths given cannot be used, or empty.
std::string pathProblem(const BatchReadOptions& o) {
    if (!o.cropsDir.empty() && !QFileInfo(QString::fromStdString(o.cropsDir)).isDir()) {
        return "--crops folder does not exist: " + o.cropsDir;
    }
    const QFileInfo output(QString::fromStdString(o.output));
    if (!QFileInfo(output.absolutePath()).isDir()) {
        return "output folder does not exist: " + output.absolutePath().toStdString();
    }
    if (output.fileName().isEmpty()) return "no output file name: " + o.output;
    if (!o.key.empty()) return notRegularFileProblem(o.key, "--key file");
    return {};
}

void reportFailedSheets(const tarrow::ResultTable& table, std::ostream& err) {
    for (int s = 1; s <= table.sheetCount(); ++s) {
        if (table.isFailedSheet(s)) {
            err << "velmora: read error: " << tarrow::pathBytes(table.sheetPath(s)) << '\n';
        }
    }
}

/// The doubled-mark count a run in the result window ends with, when there
/// are any.
void reportDoubledMarks(const tarrow::ResultTable& table, std::ostream& err) {
    const QString text = tarrow::doubledCountText(tarrow::reviewCounts(table).doubled);
    if (!text.isEmpty()) err << "velmora: " << text.toStdString() << '\n';
}

int statusOfRun(const RunOutcome& run, const Job& job, std::ostream& err) {
    if (!run.keyLoaded) {
        err << "velmora: not a read-values file, or unreadable: " << job.options.key << '\n';
        return kExitUsage;
    }
    switch (run.batch.outcome) {
        case tarrow::BatchOutcome::Completed:
            return kExitOk;
        case tarrow::BatchOutcome::Rejected:
            return kExitUsage;  // its warning is printed
        case tarrow::BatchOutcome::Stopped:
        case tarrow::BatchOutcome::Failed:
            break;
    }
    err << "velmora: the batch run ended early (an engine call failed)\n";
    return kExitInternal;
}

int save(tarrow::ResultTable& table, HeadlessPrompter& prompter, const Job& job, std::ostream& out,
         std::ostream& err) {
    const tarrow::SaveOutcome saved = tarrow::saveResults(table, prompter, job.settings.transpose);
    if (saved.status != tarrow::SaveStatus::Saved) {
        err << "velmora: "
            << (saved.error.isEmpty() ? std::string("the results were not saved")
                                      : saved.error.toStdString())
            << '\n';
        return kExitUsage;
    }
    out << saved.readValuesFile.toStdString() << '\n';
    if (!saved.scoreFile.isEmpty()) out << saved.scoreFile.toStdString() << '\n';
    out.flush();
    return kExitOk;
}

int runJob(const Job& job, const BatchEngines& engines, std::ostream& out, std::ostream& err) {
    auto prompter = makePrompter(job, err);
    tarrow::ResultTable table;
    std::optional<RunOutcome> run;
    if (job.options.jobs > 1 && engines.worker) {
        run = runParallel(job, engines, *prompter, table, err);
        if (!run) {
            prompter = makePrompter(job, err);
            table = tarrow::ResultTable();
        }
    }
    if (!run) {
        std::string error;
        const std::unique_ptr<tarrow::StrovaEngine> engine = engines.component(error);
        if (!engine) {
            err << "velmora: " << error << '\n';
            return kExitUsage;
        }
        tarrow::BatchRun batch(*engine, *prompter, *prompter, table, job.settings);
        run = runOnce(job, batch, *prompter, table);
    }
    if (const int status = statusOfRun(*run, job, err); status != kExitOk) return status;
    reportFailedSheets(table, err);
    int status = save(table, *prompter, job, out, err);
    if (!run->batch.indexPagesWritten) {
        err << "velmora: cannot write the index pages: " << run->batch.indexError.toStdString()
            << '\n';
        status = kExitUsage;
    }
    reportDoubledMarks(table, err);
    if (status == kExitOk && run->batch.failedSheets > 0) status = kExitImageFailed;
    return status;
}

int readChecked(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const BatchEngines& engines) {
    const Parsed<BatchReadOptions> parsed = parseBatchReadArguments(args);
    if (parsed.kind == Parsed<BatchReadOptions>::Kind::Help) {
        out << readUsage();
        return kExitOk;
    }
    if (parsed.kind == Parsed<BatchReadOptions>::Kind::Error) {
        err << "velmora: " << parsed.error << "\n";
        return kExitUsage;
    }
    Job job{parsed.options,
            parsed.options.settings,
            QString::fromStdString(parsed.options.definition),
            {}};
    if (const std::string problem = pathProblem(job.options); !problem.empty()) {
        err << "velmora: " << problem << "\n";
        return kExitUsage;
    }
    const ImageList list = expandInputs(job.options.inputs);
    if (!list.error.empty()) {
        err << "velmora: " << list.error << "\n";
        return kExitUsage;
    }
    // Names that are not UTF-8 keep their bytes (file_name_bytes.h).
    for (const std::string& image : list.images) job.images << tarrow::pathFromBytes(image);
    job.options.jobs = cappedJobs(job.options.jobs, err);
    return runJob(job, engines, out, err);
}

}  // namespace

BatchEngines realEngines() {
    BatchEngines engines;
    engines.component = [](std::string& error) -> std::unique_ptr<tarrow::StrovaEngine> {
        QString why;
        std::unique_ptr<tarrow::EngineClient> client = tarrow::EngineClient::create(&why);
        if (!client) error = why.toStdString();
        return client;
    };
    engines.worker = [] { return std::make_unique<tarrow::SessionEngine>(); };
    return engines;
}

int runBatchReadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        const BatchEngines& engines) {
    try {
        return readChecked(args, out, err, engines);
    } catch (const std::exception& e) {
        err << "velmora: internal error: " << e.what() << "\n";
    } catch (...) {
        err << "velmora: internal error\n";
    }
    return kExitInternal;
}

}  // namespace velmora::cli
