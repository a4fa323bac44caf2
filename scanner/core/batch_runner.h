// One scanning batch from the user's point of view: the source chosen in
// the settings (SANE device or TWAIN source), every arriving page saved
// with the form's values of that moment, and one summary at the end. A page
// that cannot be saved stops the batch (no further sheets are fed, so none
// is lost in the scanner); the pages saved so far stay.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scanner/core/acquisition.h"
#include "scanner/core/page_saver.h"
#include "scanner/core/scan_settings.h"

namespace fenwary {

struct BatchSummary {
    int pagesSaved = 0;
    BatchResult device;                 ///< how the device ended the batch
    std::vector<std::string> problems;  ///< messages for the user, in order
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

private:
    bool onPage(ScannedPage& page);
    void onFinished(const BatchResult& result);

    Acquisition& sane_;
    Acquisition* twain_;
    PageSaver saver_;
    Acquisition* active_ = nullptr;
    Host host_;
    ScanSettings settings_;
    BatchSummary summary_;
};

}  // namespace fenwary
