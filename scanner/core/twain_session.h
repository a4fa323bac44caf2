// The TWAIN connection of the program: the manager loaded at run time, one
// source, and the protocol's sequence for selecting a source, starting an
// acquisition, taking every page by native transfer and closing again.
// Every call to the manager goes through call(), which asks for the
// condition code (DAT_STATUS) after any return code other than success,
// except for DAT_EVENT.
//
// Linux has no window messages to offer the source, so the source's
// MSG_XFERREADY / MSG_CLOSEDSREQ arrive through a registered callback
// (DAT_CALLBACK, possibly on another thread: it only records the message
// and wakes the owner thread) or, when the manager refuses the callback,
// by polling DAT_EVENT / MSG_PROCESSEVENT on a timer. The transfer loop runs
// one page per event-loop turn, so the window answers between pages and a
// cancel is honoured between them (DAT_PENDINGXFERS / MSG_RESET).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "scanner/core/acquisition.h"
#include "scanner/core/event_driver.h"
#include "scanner/core/native_page.h"
#include "scanner/core/twain_library.h"
#include "scanner/core/twain_types.h"

namespace fenwary {

class TwainSession final : public Acquisition {
public:
    using Loader = std::function<std::unique_ptr<TwainLibrary>()>;
    /// Shows the sources (the manager could not show its own dialog) and
    /// returns the chosen product name, nullopt when cancelled.
    using SourceChooser = std::function<std::optional<std::string>(
        const std::vector<SourceInfo>& sources, const std::string& defaultSource)>;

    /// Interval of MSG_PROCESSEVENT polling without a callback.
    static constexpr int kPollMilliseconds = 50;
    /// Failed transfers in a row after which the pending pages are dropped.
    static constexpr int kMaxFailedTransfers = 3;
    /// Transferred pages in a row that could not be read (or came without
    /// data) after which the feeder is stopped.
    static constexpr int kMaxUndecodablePages = 3;
    /// Sources listed at most, however long the manager's list claims to be.
    static constexpr std::size_t kMaxSources = 1000;

    /// `driver` must outlive the session; `loader` null: TwainLibrary::load.
    explicit TwainSession(EventDriver& driver, Loader loader = nullptr);
    ~TwainSession() override;

    TwainSession(const TwainSession&) = delete;
    TwainSession& operator=(const TwainSession&) = delete;

    /// True when the manager library can be loaded.
    bool managerInstalled() const;

    /// Select source: opens the manager, asks for the default source and
    /// the manager's selection dialog (MSG_USERSELECT); where the manager
    /// refuses that dialog, lists the sources (MSG_GETFIRST / MSG_GETNEXT)
    /// and lets `choose` pick one. Closes the manager again. Returns the
    /// chosen product name; nullopt when cancelled or without a manager.
    std::optional<std::string> selectSource(const SourceChooser& choose);

    /// The sources the manager knows (opens and closes it around the list).
    void listSources(std::function<void(std::vector<SourceInfo>)> done) override;

    /// Start acquisition: opens the manager and the source named by
    /// `request.device` (empty: the manager's default source), asks for
    /// native transfers (refused: everything is closed and false returned),
    /// turns the feeder on where there is one and enables the source with
    /// its own user interface. Pages follow as the source sends them.
    bool start(const BatchRequest& request, BatchEvents events) override;

    /// Before the first page: closes the connection. During transfers:
    /// drops the pending pages after the current one and closes.
    void cancel() override;

    bool running() const override { return batch_.has_value(); }

    /// Close all (program exit): disables, closes the source, closes the
    /// manager; a failure to disable ends the closing there.
    void shutdown() override;

    bool managerOpen() const { return managerOpen_; }
    bool sourceOpen() const { return sourceOpen_; }
    bool sourceEnabled() const { return sourceEnabled_; }
    /// True when the source's messages arrive through the callback.
    bool usesCallback() const { return callback_; }

    /// The manager's callback lands here (any thread).
    void onSourceMessage(twain::TW_UINT16 message);

private:
    twain::TW_UINT16 call(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                          void* data);
    bool openManager();
    bool closeManager();
    bool openSource();
    bool closeSource();
    bool enableSource();
    bool disableSource();
    std::vector<SourceInfo> enumerateSources();
    void registerCallback();
    bool setOneValue(twain::TW_UINT16 capability, twain::TW_UINT16 itemType,
                     twain::TW_UINT32 value);
    std::optional<twain::TW_UINT32> getOneValue(twain::TW_UINT16 capability);
    void enableFeeder();

    void pollEvent();
    void deliverMessages();
    void handleSourceMessage(twain::TW_UINT16 message);
    void transferStep();
    void scheduleTransferStep();
    std::optional<TransferInfo> imageInfo();
    std::optional<ScannedPage> takePage(twain::TW_HANDLE handle,
                                        const std::optional<TransferInfo>& info);
    void pageUnreadable(const std::string& problem);
    void dropPendingPages();
    /// Disables, closes the source, closes the manager (each only when the
    /// step before succeeded).
    void closeConnection();
    void endBatch();

    EventDriver& driver_;
    Loader loader_;
    std::unique_ptr<TwainLibrary> library_;
    twain::TW_IDENTITY app_{};
    twain::TW_IDENTITY source_{};
    twain::TW_USERINTERFACE userInterface_{};
    twain::TW_STATUS status_{};
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    bool sourceEnabled_ = false;
    twain::TW_UINT16 acquiring_ = 0;
    bool callback_ = false;

    std::optional<BatchEvents> batch_;
    BatchResult result_;
    bool transferring_ = false;
    bool cancelRequested_ = false;
    int failedTransfers_ = 0;
    int undecodablePages_ = 0;

    std::mutex messagesMutex_;
    std::deque<twain::TW_UINT16> messages_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace fenwary
