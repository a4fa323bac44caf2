#include "scanner/core/page_saver.h"

#include <filesystem>

#include "scanner/core/page_writers.h"

namespace fenwary {

std::tm localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

PageSaver::PageSaver() : clock_(localTimeNow) {}

PageSaver::PageSaver(Clock clock) : clock_(std::move(clock)) {}

SaveOutcome PageSaver::save(const ScannedPage& page, ScanSettings& settings,
                            const StartNotice& started) const {
    SaveOutcome outcome;
    std::error_code error;
    if (!std::filesystem::is_directory(settings.folder, error)) {
        outcome.result = SaveOutcome::Result::NoFolder;
        outcome.status = kStatusNoFolder;
        return outcome;
    }
    outcome.path = pageFilePath(settings.namingRule(), clock_(), [](const std::string& path) {
        std::error_code ignored;
        return std::filesystem::exists(path, ignored);
    });
    if (started) started(outcome.path);

    const int dpiX = dpiFromPixelsPerMetre(page.resolution.xPixelsPerMetre);
    const int dpiY = dpiFromPixelsPerMetre(page.resolution.yPixelsPerMetre);
    outcome.resolutionText = resolutionText(dpiX, dpiY);

    PageWriteOptions options;
    options.format = settings.format;
    options.jpegQuality = settings.jpegQuality;
    options.dpi = dpiY;
    options.bmpResolution = page.resolution;
    if (!writePageFile(outcome.path, page.pixels, options, &outcome.error)) {
        outcome.result = SaveOutcome::Result::WriteFailed;
        outcome.status = kStatusWriteFailed;
        return outcome;
    }
    settings.counter = advanceCounter(settings.counter, settings.step);
    outcome.result = SaveOutcome::Result::Written;
    outcome.status = kStatusWritten;
    return outcome;
}

}  // namespace fenwary
