#include "scanner/core/batch_runner.h"

namespace fenwary {

namespace {

std::string withDetail(std::string text, const std::string& detail) {
    if (!detail.empty()) text += "\n(" + detail + ")";
    return text;
}

}  // namespace

BatchRunner::BatchRunner(Acquisition& sane, Acquisition* twain, PageSaver saver)
    : sane_(sane), twain_(twain), saver_(std::move(saver)) {}

bool BatchRunner::start(const ScanSettings& settings, Host host) {
    if (running()) return false;
    Acquisition* backend = nullptr;
    switch (settings.sourceChoice().kind) {
        case SourceKind::Sane:
            backend = &sane_;
            break;
        case SourceKind::Twain:
            backend = twain_;
            break;
        case SourceKind::None:
            break;
    }
    if (backend == nullptr || backend->running()) return false;
    host_ = std::move(host);
    settings_ = settings;
    summary_ = BatchSummary{};
    saveFailed_ = false;
    replaceAnswer_.reset();
    pageProblems_.clear();
    BatchEvents events;
    events.page = [this](ScannedPage& page) { return onPage(page); };
    events.pageProblem = [this](DeviceError error, const std::string& detail) {
        onPageProblem(error, detail);
    };
    events.finished = [this](const BatchResult& result) { onFinished(result); };
    active_ = backend;
    if (!backend->start(settings.batchRequest(), std::move(events))) {
        active_ = nullptr;
        return false;
    }
    return true;
}

void BatchRunner::cancel() {
    if (active_ != nullptr) active_->cancel();
}

void BatchRunner::keep(const ScannedPage& page, const std::string& intendedPath) {
    unsaved_.push_back(
        UnsavedPage{ScannedPage{page.pixels.clone(), page.resolution}, intendedPath});
    ++summary_.pagesUnsaved;
}

bool BatchRunner::mayReplace(const std::string& path) {
    if (!replaceAnswer_) replaceAnswer_ = host_.confirmReplace && host_.confirmReplace(path);
    return *replaceAnswer_;
}

bool BatchRunner::onPage(ScannedPage& page) {
    if (saveFailed_) {
        // A page already on its way when saving failed: kept, not retried.
        keep(page, {});
        return false;
    }
    ScanSettings current = settings_;
    if (host_.readForm) host_.readForm(current);
    const SaveOutcome outcome = saver_.save(
        page, current, host_.writing, [this](const std::string& path) { return mayReplace(path); });
    settings_ = current;
    if (outcome.written()) {
        ++summary_.pagesSaved;
        if (host_.store != nullptr && !storeSetting(*host_.store, settings_, SettingId::Counter)) {
            summary_.counterNotStored = true;
        }
    } else {
        saveFailed_ = true;
        keep(page, outcome.path);
        if (outcome.result == SaveOutcome::Result::NoFolder) {
            summary_.problems.push_back(outcome.status);
        } else {
            summary_.problems.push_back(std::string(kCannotSavePage) + "\n" +
                                        outcome.failureMessage());
        }
    }
    if (host_.saved) host_.saved(outcome, current, page);
    return outcome.written();  // after a failure the remaining sheets stay in the feeder
}

void BatchRunner::onPageProblem(DeviceError error, const std::string& detail) {
    ProblemCount& entry = pageProblems_[error];
    if (entry.count++ == 0) entry.firstDetail = detail;
}

void BatchRunner::onFinished(const BatchResult& result) {
    active_ = nullptr;
    summary_.device = result;
    // Page problems are summed up by kind, so a device that sends thousands
    // of bad pages still gives a short message.
    for (const auto& [error, entry] : pageProblems_) {
        std::string text = deviceErrorText(error);
        if (entry.count > 1) text += "（" + std::to_string(entry.count) + " ページ）";
        summary_.problems.push_back(withDetail(text, entry.firstDetail));
    }
    if (result.error != DeviceError::None) {
        summary_.problems.push_back(withDetail(deviceErrorText(result.error), result.detail));
    }
    Host host = std::move(host_);
    host_ = Host{};
    if (host.finished) host.finished(summary_);
}

RescueResult BatchRunner::saveUnsavedTo(const std::string& folder) {
    RescueResult rescue;
    ScanSettings settings = settings_;
    settings.folder = withTrailingSeparator(folder);
    std::size_t done = 0;
    for (; done < unsaved_.size(); ++done) {
        const SaveOutcome outcome = saver_.save(unsaved_[done].page, settings);
        if (!outcome.written()) {
            rescue.problem = outcome.result == SaveOutcome::Result::NoFolder
                                 ? outcome.status
                                 : std::string(kCannotSavePage) + "\n" + outcome.failureMessage();
            break;
        }
        rescue.savedPaths.push_back(outcome.path);
        ++rescue.saved;
    }
    unsaved_.erase(unsaved_.begin(), unsaved_.begin() + std::ptrdiff_t(done));
    return rescue;
}

}  // namespace fenwary
