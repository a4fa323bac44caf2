// Saving one scanned page: the file name from the settings, the resolution
// text, the file in the chosen format with its resolution, and the counter
// step. A page that could not be written is reported and does not advance
// the counter, so the next page takes its name.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "scanner/core/acquisition.h"
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
    std::string error;           ///< why the write failed
    bool written() const { return result == Result::Written; }
};

class PageSaver {
public:
    /// The local time for time-stamp names; tests fix it.
    using Clock = std::function<std::tm()>;
    /// Told the file name and kStatusWriting before the file is written,
    /// so the window can show them while a large page is compressed.
    using StartNotice = std::function<void(const std::string& path)>;

    PageSaver();
    explicit PageSaver(Clock clock);

    /// Saves `page` under the name `settings` give and, when it was
    /// written, advances `settings.counter` by the step. The output folder
    /// must exist at this moment (else NoFolder: nothing written, counter
    /// unchanged).
    SaveOutcome save(const ScannedPage& page, ScanSettings& settings,
                     const StartNotice& started = nullptr) const;

private:
    Clock clock_;
};

/// The local time now.
std::tm localTimeNow();

}  // namespace fenwary
