#include "tools/velmora/read_values_loader.h"

#include "reader/core/batch_run.h"
#include "reader/core/csv_opener.h"
#include "tools/velmora/image_list.h"

namespace velmora::cli {
namespace {

/// The engine of a run that never happens: the loader is only ever called
/// with an empty input list, which reads no image. Every call fails.
class NoEngine final : public tarrow::StrovaEngine {
public:
    std::optional<int> putImageFilename(std::string_view) override { return std::nullopt; }
    std::optional<int> putIniFilename(std::string_view) override { return std::nullopt; }
    std::optional<int> run() override { return std::nullopt; }
    std::optional<int> putNotify(int, int) override { return std::nullopt; }
    std::optional<int> getResult(std::string&, std::string&) override { return std::nullopt; }
    std::optional<tarrow::OptionOutputs> putOptions(tarrow::OptionAction, int,
                                                    std::string_view) override {
        return std::nullopt;
    }
};

}  // namespace

const QString kImageFolderTitle =
    QStringLiteral("スキャン画像ファイル(.jpg等)が存在するフォルダを選択してください。");

bool loadReadValuesFile(const std::string& path, const tarrow::AppSettings& settings,
                        HeadlessPrompter& prompter, tarrow::ResultTable& table, std::ostream& err) {
    if (const std::string problem = notRegularFileProblem(path, "read-values file");
        !problem.empty()) {
        err << "velmora: " << problem << '\n';
        return false;
    }
    NoEngine engine;
    tarrow::BatchRun run(engine, prompter, table, settings);
    const tarrow::CsvOpenContext context{run, prompter, table, settings};
    const tarrow::CsvOpenResult opened =
        tarrow::openReadValuesFile(context, tarrow::BatchInputs{}, QString::fromStdString(path));
    if (opened.outcome == tarrow::CsvOpenOutcome::Loaded) return true;
    err << "velmora: not a read-values file, or unreadable: " << path << '\n';
    return false;
}

}  // namespace velmora::cli
