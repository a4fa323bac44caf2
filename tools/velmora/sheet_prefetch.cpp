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

    tarrow::OptionResult call(std::vector<EngineCall>& log, const QString& action, int value,
                              const QString& valueStr = {}) {
        const tarrow::OptionResult result =
            engine_.putOptions(action, value, valueStr).value_or(tarrow::OptionResult{});
        log.push_back({action, value, valueStr, result});
        return result;
    }

    tarrow::StrovaEngine& engine() { return engine_; }

private:
    tarrow::StrovaEngine& engine_;
};

void prepare(Recorder& rec, const PrefetchSettings& settings, std::vector<EngineCall>& log) {
    rec.engine().putIniFilename(settings.definition);
    rec.call(log, "get_definition_problem", kNoValue);
    rec.call(log, "set_nomarkmin_1000", 0);
    rec.call(log, "set_nomarkmin_dots", settings.noMarkedDots);
    rec.call(log, "get_editor_dpi_x", kNoValue);
    rec.call(log, "set_multi_marked_multiply_1000", settings.multiply1000);
}

/// The multi-answer list as the run splits it: no entries for an empty text.
qsizetype listLength(const QString& list) {
    return list.isEmpty() ? 0 : list.split(QLatin1Char(',')).size();
}

void collectResults(Recorder& rec, PrefetchedSheet& sheet) {
    rec.engine().getResult(sheet.result, sheet.reliability);
    rec.call(sheet.calls, "get_marked_counts", kNoValue);
    const QString list = rec.call(sheet.calls, "get_multi_questions", kNoValue).retValueStr;
    for (qsizetype j = 0; j < listLength(list); ++j) {
        rec.call(sheet.calls, "get_multi_dots_per_question", int(j));
    }
    for (const char* getter : {"chk_rotate", "get_skew_size", "get_diffzero_x", "get_diffzero_y"}) {
        rec.call(sheet.calls, getter, kNoValue);
    }
}

PrefetchedSheet readOne(Recorder& rec, const QString& image, const PrefetchSettings& settings) {
    PrefetchedSheet sheet;
    sheet.image = image;
    try {
        rec.call(sheet.calls, "get_dpi_x", kNoValue, image);
        rec.engine().putImageFilename(image);
        const int areas = rec.call(sheet.calls, "get_imagearea_count", kNoValue).retValue;
        if (areas > 0 && !settings.cropFolder.isEmpty()) {
            rec.call(sheet.calls, "set_imagearea_jpeg_file", kNoValue,
                     cropBase(settings.cropFolder, image));
        }
        rec.call(sheet.calls, "set_imagescale_rate_percent", settings.scalePercent);
        rec.call(sheet.calls, "set_imagesharpen_rate", settings.sharpenRate);
        rec.call(sheet.calls, "set_debug_filename", kNoValue);
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

tarrow::OptionResult ReplayEngine::answer(const std::vector<EngineCall>& calls,
                                          const QString& action, int value,
                                          const QString& valueStr) {
    const bool byIndex = action == QLatin1String("get_multi_dots_per_question");
    const auto it = std::find_if(calls.begin(), calls.end(), [&](const EngineCall& c) {
        return c.action == action && (!byIndex || c.value == value);
    });
    if (it == calls.end()) {
        diverge(QStringLiteral("call not made ahead: ") + action);
        return {};
    }
    if (action.startsWith(QLatin1String("set_")) &&
        (it->value != value || it->valueStr != valueStr)) {
        diverge(QStringLiteral("different value for ") + action);
    }
    if (action == QLatin1String("get_dpi_x") && it->valueStr != valueStr) {
        diverge(QStringLiteral("different image for get_dpi_x"));
    }
    return it->result;
}

std::optional<int> ReplayEngine::putImageFilename(const QString& path) {
    current_ = sheetOf(path);
    return 0;
}

std::optional<int> ReplayEngine::putIniFilename(const QString& path) {
    if (path != definition_) diverge(QStringLiteral("different definition file"));
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

std::optional<int> ReplayEngine::getResult(QString& result, QString& reliability) {
    if (current_ == nullptr || current_->runStatus != 0) {
        diverge(QStringLiteral("result asked of a sheet that was not read"));
        return 0;
    }
    result = current_->result;
    reliability = current_->reliability;
    return 0;
}

std::optional<tarrow::OptionResult> ReplayEngine::putOptions(const QString& action, int value,
                                                             const QString& valueStr) {
    if (action == QLatin1String("get_dpi_x")) {
        const PrefetchedSheet* sheet = sheetOf(valueStr);
        if (sheet == nullptr) return tarrow::OptionResult{};
        return answer(sheet->calls, action, value, valueStr);
    }
    if (current_ == nullptr) return answer(prefetch_.preparation, action, value, valueStr);
    return answer(current_->calls, action, value, valueStr);
}

}  // namespace velmora::cli
