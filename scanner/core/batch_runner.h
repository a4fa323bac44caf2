// One batch as the window runs it: the source chosen in the settings (a
// SANE device or TWAIN source), every arriving page saved with the form's
// values of that moment, and one summary at the end. A page that cannot be
// saved stops the batch (no further sheets are fed) and is kept in memory,
// with any page that still arrives after it, until it is saved elsewhere
// (saveUnsavedTo) or given up; no sheet that went through the feeder is
// lost. The counter is stored after every written page, so a program that
// is ended (logout) never hands the next batch a used counter.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "scanner/core/acquisition.h"
#include "scanner/core/page_saver.h"
#include "scanner/core/scan_settings.h"

namespace fenwary {

/// The first line of the message about a page that could not be written.
inline constexpr const char* kCannotSavePage = "ファイルを保存できませんでした。";

struct BatchSummary {
    int pagesSaved = 0;
    int pagesUnsaved = 0;               ///< pages kept in memory, not on disk
    BatchResult device;                 ///< how the device ended the batch
    std::vector<std::string> problems;  ///< messages for the user, in order
    bool counterNotStored = false;      ///< the settings store refused the counter
};

/// A scanned page that is not on disk yet, and the name it was meant for.
struct UnsavedPage {
    ScannedPage page;
    std::string intendedPath;
};

/// The result of saving the kept pages in another folder.
struct RescueResult {
    int saved = 0;
    std::vector<std::string> savedPaths;
    std::string problem;  ///< why the rest could not be saved (empty: all saved)
};

class BatchRunner {
public:
    /// What the window does around each page; every member may be empty.
    struct Host {
        /// Puts the form's current values into `settings` (left alone when
        /// the form holds invalid values).
        std::function<void(ScanSettings& settings)> readForm;
        /// A page's file is about to be written.
        std::function<void(const std::string& path)> writing;
        /// A page was handled; `settings` holds the stepped counter. The
        /// page's pixels may be taken (for the preview).
        std::function<void(const SaveOutcome& outcome, const ScanSettings& settings,
                           ScannedPage& page)>
            saved;
        std::function<void(const BatchSummary& summary)> finished;
        /// Asked at most once per batch, when a prefix-only name would
        /// replace the file `path`; the answer holds for the whole batch.
        /// Absent or false: such pages take suffixed names.
        std::function<bool(const std::string& path)> confirmReplace;
        /// Where the counter is stored after every written page (null:
        /// not stored by the runner).
        velmora::SettingsStore* store = nullptr;
    };

    /// The backends must outlive the runner; `twain` may be null.
    BatchRunner(Acquisition& sane, Acquisition* twain, PageSaver saver = PageSaver());

    /// Starts a batch from the source in `settings`. False when nothing
    /// started: no source chosen, a batch running, or the backend could not
    /// start (a TWAIN manager that is missing or refuses).
    bool start(const ScanSettings& settings, Host host);

    /// Stops a running batch after the current page.
    void cancel();

    bool running() const { return active_ != nullptr; }

    /// Pages scanned but not written, oldest first (kept across batches).
    const std::vector<UnsavedPage>& unsavedPages() const { return unsaved_; }
    /// Writes the kept pages into `folder` under the names the settings of
    /// the last batch give there (never replacing a file); the ones written
    /// leave the list. Stops at the first page that cannot be written.
    RescueResult saveUnsavedTo(const std::string& folder);
    /// Gives the kept pages up (the user chose so).
    void discardUnsavedPages() { unsaved_.clear(); }

private:
    bool onPage(ScannedPage& page);
    void onPageProblem(DeviceError error, const std::string& detail);
    void onFinished(const BatchResult& result);
    void keep(const ScannedPage& page, const std::string& intendedPath);
    bool mayReplace(const std::string& path);

    struct ProblemCount {
        int count = 0;
        std::string firstDetail;
    };

    Acquisition& sane_;
    Acquisition* twain_;
    PageSaver saver_;
    Acquisition* active_ = nullptr;
    Host host_;
    ScanSettings settings_;
    BatchSummary summary_;
    bool saveFailed_ = false;
    std::optional<bool> replaceAnswer_;
    std::map<DeviceError, ProblemCount> pageProblems_;
    std::vector<UnsavedPage> unsaved_;
};

}  // namespace fenwary
