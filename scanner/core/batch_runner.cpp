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
    BatchEvents events;
    events.page = [this](ScannedPage& page) { return onPage(page); };
    events.pageProblem = [this](DeviceError error, const std::string& detail) {
        summary_.problems.push_back(withDetail(deviceErrorText(error), detail));
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

bool BatchRunner::onPage(ScannedPage& page) {
    ScanSettings current = settings_;
    if (host_.readForm) host_.readForm(current);
    const SaveOutcome outcome = saver_.save(page, current, host_.writing);
    settings_ = current;
    if (host_.saved) host_.saved(outcome, current, page);
    if (outcome.written()) {
        ++summary_.pagesSaved;
        return true;
    }
    if (outcome.result == SaveOutcome::Result::NoFolder) {
        summary_.problems.push_back(outcome.status);
    } else {
        summary_.problems.push_back(
            withDetail(outcome.status + "\n" + outcome.path, outcome.error));
    }
    return false;  // keep the remaining sheets in the feeder
}

void BatchRunner::onFinished(const BatchResult& result) {
    active_ = nullptr;
    summary_.device = result;
    if (result.error != DeviceError::None) {
        summary_.problems.push_back(withDetail(deviceErrorText(result.error), result.detail));
    }
    Host host = std::move(host_);
    host_ = Host{};
    if (host.finished) host.finished(summary_);
}

}  // namespace fenwary
