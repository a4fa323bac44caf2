// Saving one scanned page: the file name from the settings, the resolution
// text, the file in the chosen format with its resolution, and the counter
// step. A page never replaces a file that is already there: a counter name
// that is taken moves the counter on to the next free value (the numbers
// passed over are reported), a time-stamp name gets a collision suffix, and
// a prefix-only name replaces its file only when the caller confirms it.
// A page that could not be written is reported with its file name and the
// cause, and does not advance the counter.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "scanner/core/acquisition.h"
#include "scanner/core/page_writers.h"
#include "scanner/core/scan_settings.h"

namespace fenwary {

inline constexpr const char* kStatusWriting = "ファイル出力中です。しばらくお待ちください。";
inline constexpr const char* kStatusWritten = "ファイル出力完了";
inline constexpr const char* kStatusWriteFailed = "ファイル出力に失敗しました。";
inline constexpr const char* kStatusNoFolder =
    "出力フォルダが存在しません。ファイル出力をキャンセルしました。";

struct SaveOutcome {
    enum class Result { Written, WriteFailed, NoFolder };
    Result result = Result::NoFolder;
    std::string path;            ///< the page's file name (empty for NoFolder)
    std::string status;          ///< the status pane's text afterwards
    std::string resolutionText;  ///< "%ddpi" or empty
    std::string error;           ///< why the write failed (technical, one line)
    int errorNumber = 0;         ///< the system's error number of a failed write
    /// Counter values whose names were already taken, in the order tried.
    std::vector<std::uint32_t> skippedCounters;
    bool written() const { return result == Result::Written; }
    /// For a failed write: "<file>" and the Japanese cause on the next line.
    std::string failureMessage() const;
};

class PageSaver {
public:
    /// The local time for time-stamp names; tests fix it.
    using Clock = std::function<std::tm()>;
    /// Told the file name and kStatusWriting before the file is written,
    /// so the window can show them while a large page is compressed.
    using StartNotice = std::function<void(const std::string& path)>;
    /// Asked before a prefix-only name replaces the file `path`; true
    /// allows it. Without an answer the page takes a suffixed name.
    using ReplaceQuestion = std::function<bool(const std::string& path)>;

    /// Counter values tried past a taken name before the page falls back to
    /// a suffixed name.
    static constexpr int kMaxCounterSkips = 10000;
    /// Collision suffixes tried before the save fails.
    static constexpr int kMaxSuffixes = 100000;

    PageSaver();
    explicit PageSaver(Clock clock, PageEncoder encoder = encodePage);

    /// Saves `page` under the name `settings` give and, when it was
    /// written, sets `settings.counter` to the step after the counter value
    /// used. The output folder must exist at this moment (else NoFolder:
    /// nothing written, counter unchanged).
    SaveOutcome save(const ScannedPage& page, ScanSettings& settings,
                     const StartNotice& started = nullptr,
                     const ReplaceQuestion& mayReplace = nullptr) const;

private:
    StagedPage::Placement placeUnderSuffix(StagedPage& staged, const std::string& stem,
                                           const std::string& extension,
                                           SaveOutcome& outcome) const;

    Clock clock_;
    PageEncoder encoder_;
};

/// The status text after a written page: kStatusWritten, followed by the
/// counter texts that were passed over when there were any.
std::string writtenStatus(const std::vector<std::uint32_t>& skipped, int digits);

/// The local time now.
std::tm localTimeNow();

}  // namespace fenwary
