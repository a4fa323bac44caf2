#include "tools/velmora/sheet_prefetch.h"

#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>

#include "tools/velmora/read_gate.h"

namespace velmora::cli {
namespace {

constexpr int kNoValue = -1;

/// One engine's calls, each recorded with its answer.
class Recorder {
public:
    explicit Recorder(tarrow::StrovaEngine& engine) : engine_(engine) {}

    tarrow::OptionOutputs call(std::vector<EngineCall>& log, tarrow::OptionAction action, int value,
                               const std::string& valueStr = {}) {
        const tarrow::OptionOutputs result =
            engine_.putOptions(action, value, valueStr).value_or(tarrow::OptionOutputs{});
        log.push_back({action, value, valueStr, result});
        return result;
    }

    tarrow::StrovaEngine& engine() { return engine_; }

private:
    tarrow::StrovaEngine& engine_;
};

using A = tarrow::OptionAction;

void prepare(Recorder& rec, const PrefetchSettings& settings, std::vector<EngineCall>& log) {
    rec.engine().putIniFilename(settings.definition.toStdString());
    rec.call(log, A::GetDefinitionProblem, kNoValue);
    rec.call(log, A::SetNoMarkMin1000, 0);
    rec.call(log, A::SetNoMarkMinDots, settings.noMarkedDots);
    rec.call(log, A::GetEditorDpiX, kNoValue);
    rec.call(log, A::SetMultiMarkedMultiply1000, settings.multiply1000);
}

/// The multi-answer list as the run splits it: no entries for an empty text.
qsizetype listLength(const std::string& list) {
    return list.empty() ? 0 : QString::fromStdString(list).split(QLatin1Char(',')).size();
}

void collectResults(Recorder& rec, PrefetchedSheet& sheet) {
    rec.engine().getResult(sheet.result, sheet.reliability);
    rec.call(sheet.calls, A::GetMarkedCounts, kNoValue);
    const std::string list = rec.call(sheet.calls, A::GetMultiQuestions, kNoValue).retValueStr;
    for (qsizetype j = 0; j < listLength(list); ++j) {
        rec.call(sheet.calls, A::GetMultiDotsPerQuestion, int(j));
    }
    for (const A getter : {A::ChkRotate, A::GetSkewSize, A::GetDiffZeroX, A::GetDiffZeroY}) {
        rec.call(sheet.calls, getter, kNoValue);
    }
}

PrefetchedSheet readOne(Recorder& rec, const QString& image, const PrefetchSettings& settings) {
    PrefetchedSheet sheet;
    sheet.image = image;
    try {
        rec.call(sheet.calls, A::GetDpiX, kNoValue, image.toStdString());
        rec.engine().putImageFilename(image.toStdString());
        const int areas = rec.call(sheet.calls, A::GetImageAreaCount, kNoValue).retValue;
        if (areas > 0 && !settings.cropFolder.isEmpty()) {
            rec.call(sheet.calls, A::SetImageAreaJpegFile, kNoValue,
                     cropBase(settings.cropFolder, image).toStdString());
        }
        rec.call(sheet.calls, A::SetImageScaleRatePercent, settings.scalePercent);
        rec.call(sheet.calls, A::SetImageSharpenRate, settings.sharpenRate);
        rec.call(sheet.calls, A::SetDebugFilename, kNoValue);
        sheet.runStatus = rec.engine().run();
        if (sheet.runStatus == 0) collectResults(rec, sheet);
    } catch (...) {
        // Out of memory inside the engine: this image failed, the batch goes on.
        sheet.runStatus = -2;
    }
    return sheet;
}

/// What the workers share besides the images and the sheets.
struct WorkerShare {
    std::atomic<qsizetype> next{0};
    ReadGate gate;
    bool retryAlone = false;  ///< more than one worker
};

void workerLoop(tarrow::StrovaEngine& engine, const QStringList& images,
                const PrefetchSettings& settings, WorkerShare& share,
                std::vector<PrefetchedSheet>& sheets) {
    Recorder rec(engine);
    for (qsizetype i = share.next.fetch_add(1); i < images.size(); i = share.next.fetch_add(1)) {
        // Each slot has one writer.
        sheets[std::size_t(i)] = share.gate.readRetryingAlone(
            [&] { return readOne(rec, images[i], settings); },
            [](const PrefetchedSheet& sheet) { return sheet.runStatus == -2; }, share.retryAlone);
    }
}

}  // namespace

QString cropBase(const QString& folder, const QString& image) {
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    return base + QFileInfo(image).completeBaseName();
}

bool prefetchSheets(const QStringList& images, const PrefetchSettings& settings, int jobs,
                    const EngineMaker& makeEngine, Prefetch& out, std::string& error) {
    out = Prefetch{};
    out.sheets.resize(std::size_t(images.size()));
    const qsizetype workers = std::clamp<qsizetype>(jobs, 1, std::max<qsizetype>(images.size(), 1));
    std::vector<std::unique_ptr<tarrow::StrovaEngine>> engines;
    for (qsizetype w = 0; w < workers; ++w) {
        engines.push_back(makeEngine());
        Recorder rec(*engines.back());
        std::vector<EngineCall> log;
        prepare(rec, settings, log);
        if (w == 0) out.preparation = std::move(log);
    }
    WorkerShare share;
    share.retryAlone = workers > 1;
    {
        std::vector<std::jthread> threads;
        for (auto& engine : engines) {
            try {
                threads.emplace_back(workerLoop, std::ref(*engine), std::cref(images),
                                     std::cref(settings), std::ref(share), std::ref(out.sheets));
            } catch (const std::system_error&) {
                break;  // the workers already running share out every image
            }
        }
        if (threads.empty() && !images.isEmpty()) {
            error = "cannot start a worker thread";
            return false;
        }
    }  // joined here
    return true;
}

ReplayEngine::ReplayEngine(const Prefetch& prefetch, const QString& definition)
    : prefetch_(prefetch), definition_(definition) {
    for (const PrefetchedSheet& sheet : prefetch_.sheets) byImage_.emplace(sheet.image, &sheet);
}

void ReplayEngine::diverge(const QString& what) {
    if (divergence_.isEmpty()) divergence_ = what;
}

const PrefetchedSheet* ReplayEngine::sheetOf(const QString& image) {
    const auto it = byImage_.find(image);
    if (it == byImage_.end()) {
        diverge(QStringLiteral("image not read ahead: ") + image);
        return nullptr;
    }
    return it->second;
}

tarrow::OptionOutputs ReplayEngine::answer(const std::vector<EngineCall>& calls,
                                           tarrow::OptionAction action, int value,
                                           std::string_view valueStr) {
    const bool byIndex = action == A::GetMultiDotsPerQuestion;
    const auto it = std::find_if(calls.begin(), calls.end(), [&](const EngineCall& c) {
        return c.action == action && (!byIndex || c.value == value);
    });
    const QString name = QString::fromLatin1(strovik::optionActionName(action));
    if (it == calls.end()) {
        diverge(QStringLiteral("call not made ahead: ") + name);
        return {};
    }
    if (name.startsWith(QLatin1String("set_")) &&
        (it->value != value || it->valueStr != valueStr)) {
        diverge(QStringLiteral("different value for ") + name);
    }
    if (action == A::GetDpiX && it->valueStr != valueStr) {
        diverge(QStringLiteral("different image for get_dpi_x"));
    }
    return it->result;
}

std::optional<int> ReplayEngine::putImageFilename(std::string_view path) {
    current_ = sheetOf(QString::fromStdString(std::string(path)));
    return 0;
}

std::optional<int> ReplayEngine::putIniFilename(std::string_view path) {
    if (QString::fromStdString(std::string(path)) != definition_)
        diverge(QStringLiteral("different definition file"));
    return 0;
}

std::optional<int> ReplayEngine::run() {
    if (current_ == nullptr || !current_->runStatus) {
        diverge(QStringLiteral("run without an image read ahead"));
        return -2;
    }
    return *current_->runStatus;
}

std::optional<int> ReplayEngine::putNotify(int, int) {
    return 0;
}

std::optional<int> ReplayEngine::getResult(std::string& result, std::string& reliability) {
    if (current_ == nullptr || current_->runStatus != 0) {
        diverge(QStringLiteral("result asked of a sheet that was not read"));
        return 0;
    }
    result = current_->result;
    reliability = current_->reliability;
    return 0;
}

std::optional<tarrow::OptionOutputs> ReplayEngine::putOptions(tarrow::OptionAction action,
                                                              int value,
                                                              std::string_view valueStr) {
    if (action == A::GetDpiX) {
        const PrefetchedSheet* sheet = sheetOf(QString::fromStdString(std::string(valueStr)));
        if (sheet == nullptr) return tarrow::OptionOutputs{};
        return answer(sheet->calls, action, value, valueStr);
    }
    if (current_ == nullptr) return answer(prefetch_.preparation, action, value, valueStr);
    return answer(current_->calls, action, value, valueStr);
}

}  // namespace velmora::cli
