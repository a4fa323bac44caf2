#include "scanner/core/page_saver.h"

#include <cerrno>
#include <filesystem>

#include "common/resolution.h"

namespace fenwary {

namespace {

constexpr std::size_t kSkippedShown = 5;

}  // namespace

std::tm localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string SaveOutcome::failureMessage() const {
    return path + "\n" + writeFailureCause(errorNumber);
}

std::string writtenStatus(const std::vector<std::uint32_t>& skipped, int digits) {
    if (skipped.empty()) return kStatusWritten;
    std::string list;
    for (std::size_t i = 0; i < skipped.size() && i < kSkippedShown; ++i) {
        if (!list.empty()) list += ", ";
        list += counterText(skipped[i], digits);
    }
    if (skipped.size() > kSkippedShown) {
        list += " ほか " + std::to_string(skipped.size() - kSkippedShown) + " 件";
    }
    return std::string(kStatusWritten) + "（使用済みの番号を飛ばしました: " + list + "）";
}

PageSaver::PageSaver() : PageSaver(localTimeNow) {}

PageSaver::PageSaver(Clock clock, PageEncoder encoder)
    : clock_(std::move(clock)), encoder_(std::move(encoder)) {}

StagedPage::Placement PageSaver::placeUnderSuffix(StagedPage& staged, const std::string& stem,
                                                  const std::string& extension,
                                                  SaveOutcome& outcome) const {
    for (int n = 2; n < kMaxSuffixes; ++n) {
        outcome.path = stem + collisionSuffix(n) + extension;
        const auto placement = staged.placeNew(outcome.path);
        if (placement != StagedPage::Placement::Taken) return placement;
    }
    return StagedPage::Placement::Taken;
}

SaveOutcome PageSaver::save(const ScannedPage& page, ScanSettings& settings,
                            const StartNotice& started, const ReplaceQuestion& mayReplace) const {
    SaveOutcome outcome;
    std::error_code error;
    if (!std::filesystem::is_directory(settings.folder, error)) {
        outcome.result = SaveOutcome::Result::NoFolder;
        outcome.status = kStatusNoFolder;
        return outcome;
    }
    NamingRule rule = settings.namingRule();
    const std::tm now = clock_();
    const std::string extension = extensionFor(rule.format);
    outcome.path = pageFileStem(rule, now) + extension;
    if (started) started(outcome.path);

    const int dpiX = velmora::dpiFromDotsPerMetreTruncated(page.resolution.xPixelsPerMetre);
    const int dpiY = velmora::dpiFromDotsPerMetreTruncated(page.resolution.yPixelsPerMetre);
    outcome.resolutionText = resolutionText(dpiX, dpiY);

    PageWriteOptions options;
    options.format = settings.format;
    options.jpegQuality = settings.jpegQuality;
    options.dpi = dpiY;
    options.bmpResolution = page.resolution;
    StagedPage staged(settings.folder, page.pixels, options, encoder_);

    using Placement = StagedPage::Placement;
    Placement placement = Placement::Failed;
    if (staged.ready()) {
        switch (nameKind(rule)) {
            case NameKind::Counter: {
                // A taken name moves the counter on; with a step of 0 (or a
                // folder full of numbers) the first name gets a suffix.
                const int tries = settings.step == 0 ? 1 : kMaxCounterSkips;
                const std::uint32_t first = rule.counter;
                for (int i = 0; i < tries; ++i) {
                    outcome.path = pageFileStem(rule, now) + extension;
                    placement = staged.placeNew(outcome.path);
                    if (placement != Placement::Taken) break;
                    outcome.skippedCounters.push_back(rule.counter);
                    rule.counter = advanceCounter(rule.counter, settings.step);
                }
                if (placement == Placement::Taken) {
                    outcome.skippedCounters.clear();
                    rule.counter = first;
                    placement =
                        placeUnderSuffix(staged, pageFileStem(rule, now), extension, outcome);
                }
                break;
            }
            case NameKind::Prefix: {
                const std::string stem = pageFileStem(rule, now);
                placement = staged.placeNew(outcome.path);
                if (placement == Placement::Taken && mayReplace && mayReplace(outcome.path)) {
                    placement = staged.placeReplacing(outcome.path);
                }
                if (placement == Placement::Taken) {
                    placement = placeUnderSuffix(staged, stem, extension, outcome);
                }
                break;
            }
            case NameKind::TimeStamp:
                placement = staged.placeNew(outcome.path);
                if (placement == Placement::Taken) {
                    placement =
                        placeUnderSuffix(staged, pageFileStem(rule, now), extension, outcome);
                }
                break;
        }
    }
    if (placement != Placement::Placed) {
        outcome.result = SaveOutcome::Result::WriteFailed;
        outcome.status = kStatusWriteFailed;
        outcome.error = staged.failure().reason;
        outcome.errorNumber = staged.failure().errorNumber;
        if (placement == Placement::Taken) {
            outcome.error = "no free file name";
            outcome.errorNumber = EEXIST;
        }
        return outcome;
    }
    settings.counter = advanceCounter(rule.counter, settings.step);
    outcome.result = SaveOutcome::Result::Written;
    outcome.status = writtenStatus(outcome.skippedCounters, rule.digits);
    return outcome;
}

}  // namespace fenwary
