// Parallel reading for `velmora read -o ... -j N`: worker threads, each with
// its own engine, read every sheet ahead with the calls the batch run makes,
// and record every answer. The batch run then runs as usual over a
// ReplayEngine that hands back the recorded answers, so the table is filled
// by the same code in input order and the files come out byte for byte as
// from a sequential run.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reader/core/engine_client.h"

namespace velmora::cli {

/// One put_Options call and what the engine answered.
struct EngineCall {
    tarrow::OptionAction action;
    int value = 0;
    std::string valueStr;
    tarrow::OptionOutputs result;
};

/// Everything one engine said about one image.
struct PrefetchedSheet {
    QString image;
    std::vector<EngineCall> calls;  ///< in call order
    std::optional<int> runStatus;
    std::string result;
    std::string reliability;
};

/// The values the batch run passes to the engine, as the workers pass them.
struct PrefetchSettings {
    QString definition;
    int noMarkedDots = 0;  ///< set_nomarkmin_dots
    int multiply1000 = 0;  ///< set_multi_marked_multiply_1000
    int scalePercent = 0;  ///< set_imagescale_rate_percent
    int sharpenRate = 0;   ///< set_imagesharpen_rate
    QString cropFolder;    ///< empty: no crops
};

struct Prefetch {
    std::vector<EngineCall> preparation;  ///< the once-per-run calls of the first worker
    std::vector<PrefetchedSheet> sheets;  ///< in input order
};

using EngineMaker = std::function<std::unique_ptr<tarrow::StrovaEngine>()>;

/// Reads `images` with up to `jobs` workers. Every engine is prepared on the
/// calling thread before any worker starts (the engine writes the definition
/// back after each sheet, and no engine may read it half-written). Returns
/// false with `error` set when no worker could be started.
bool prefetchSheets(const QStringList& images, const PrefetchSettings& settings, int jobs,
                    const EngineMaker& makeEngine, Prefetch& out, std::string& error);

/// Crop files of `image` in `folder`: the folder, a "/" unless present, and
/// the image's base name.
QString cropBase(const QString& folder, const QString& image);

/// Answers the batch run from a prefetch. Setters and the definition path
/// are compared with what the workers used; any difference (or a call the
/// workers never made) marks the replay as diverged, and its results must
/// not be used.
class ReplayEngine final : public tarrow::StrovaEngine {
public:
    explicit ReplayEngine(const Prefetch& prefetch, const QString& definition);

    bool diverged() const { return !divergence_.isEmpty(); }
    /// The first difference found, for the message.
    const QString& divergence() const { return divergence_; }

    std::optional<int> putImageFilename(std::string_view path) override;
    std::optional<int> putIniFilename(std::string_view path) override;
    std::optional<int> run() override;
    std::optional<int> putNotify(int window, int message) override;
    std::optional<int> getResult(std::string& result, std::string& reliability) override;
    std::optional<tarrow::OptionOutputs> putOptions(tarrow::OptionAction action, int value,
                                                    std::string_view valueStr) override;

private:
    const PrefetchedSheet* sheetOf(const QString& image);
    tarrow::OptionOutputs answer(const std::vector<EngineCall>& calls, tarrow::OptionAction action,
                                 int value, std::string_view valueStr);
    void diverge(const QString& what);

    const Prefetch& prefetch_;
    QString definition_;
    std::map<QString, const PrefetchedSheet*> byImage_;
    const PrefetchedSheet* current_ = nullptr;
    QString divergence_;
};

}  // namespace velmora::cli
