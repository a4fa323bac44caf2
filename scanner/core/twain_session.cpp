#include "scanner/core/twain_session.h"

#include <cstdint>
#include <cstring>
#include <span>

#include "scanner/core/native_page.h"

namespace fenwary {

using namespace twain;

namespace {

constexpr std::uintptr_t kSmallestHandle = 32;  // smaller values are no handle at all
constexpr TW_UINT16 kAcquiringMode = 3;

// The application identity the manager is told.
constexpr TW_UINT16 kAppVersionMajor = 1;
constexpr TW_UINT16 kAppVersionMinor = 703;
constexpr TW_UINT16 kProtocolMajor = 1;
constexpr TW_UINT16 kProtocolMinor = 7;
constexpr TW_UINT32 kSupportedGroups = DG_CONTROL | DG_IMAGE;
constexpr const char* kAppVersionInfo = "TWAIN_32 Twacker 1.7.0.3  01/18/1999";
constexpr const char* kAppManufacturer = "TWAIN Working Group";
constexpr const char* kAppProductFamily = "TWAIN Toolkit";
constexpr const char* kAppProductName = "TWACKER_32";

void copyText(TW_STR32& target, const std::string& text) {
    std::memset(target, 0, sizeof target);
    std::memcpy(target, text.data(), std::min(text.size(), sizeof target - 1));
}

std::string textOf(const TW_STR32& text) {
    return std::string(text, strnlen(text, sizeof text));
}

TW_IDENTITY applicationIdentity() {
    TW_IDENTITY id{};
    id.Version.MajorNum = kAppVersionMajor;
    id.Version.MinorNum = kAppVersionMinor;
    id.Version.Language = TWLG_USA;
    id.Version.Country = TWCY_USA;
    copyText(id.Version.Info, kAppVersionInfo);
    id.ProtocolMajor = kProtocolMajor;
    id.ProtocolMinor = kProtocolMinor;
    id.SupportedGroups = kSupportedGroups;
    copyText(id.Manufacturer, kAppManufacturer);
    copyText(id.ProductFamily, kAppProductFamily);
    copyText(id.ProductName, kAppProductName);
    return id;
}

/// Manager-level operations go to the manager itself, not to the source.
bool isManagerOperation(TW_UINT16 dat) {
    return dat == DAT_PARENT || dat == DAT_IDENTITY;
}

DeviceError errorForCondition(TW_UINT16 condition) {
    switch (condition) {
        case TWCC_PAPERJAM:
        case TWCC_PAPERDOUBLEFEED:
            return DeviceError::Jammed;
        case TWCC_MAXCONNECTIONS:
            return DeviceError::Busy;
        default:
            return DeviceError::Io;
    }
}

// The manager calls back without a context pointer a 64-bit program could
// use, so the session that registered is kept here. There is one TWAIN
// connection per program.
std::mutex gCallbackMutex;
TwainSession* gCallbackTarget = nullptr;

TW_UINT16 sourceCallback(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 msg,
                         TW_MEMREF) {
    std::lock_guard lock(gCallbackMutex);
    if (gCallbackTarget != nullptr) gCallbackTarget->onSourceMessage(msg);
    return TWRC_SUCCESS;
}

void setCallbackTarget(TwainSession* session) {
    std::lock_guard lock(gCallbackMutex);
    gCallbackTarget = session;
}

void clearCallbackTarget(TwainSession* session) {
    std::lock_guard lock(gCallbackMutex);
    if (gCallbackTarget == session) gCallbackTarget = nullptr;
}

}  // namespace

TwainSession::TwainSession(EventDriver& driver, Loader loader)
    : driver_(driver), loader_(loader ? std::move(loader) : Loader(TwainLibrary::load)) {
    app_ = applicationIdentity();
}

TwainSession::~TwainSession() {
    shutdown();
    clearCallbackTarget(this);
}

bool TwainSession::managerInstalled() const {
    return library_ != nullptr || loader_() != nullptr;
}

TW_UINT16 TwainSession::call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data) {
    TW_IDENTITY* dest = isManagerOperation(dat) ? nullptr : &source_;
    const TW_UINT16 rc = library_->entry(&app_, dest, dg, dat, msg, data);
    if (rc != TWRC_SUCCESS && dat != DAT_EVENT) {
        status_ = TW_STATUS{};
        library_->entry(&app_, dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status_);
    }
    return rc;
}

// ---- Connection states ----

bool TwainSession::openManager() {
    if (managerOpen_) return true;
    library_ = loader_();
    if (library_ == nullptr) return false;
    // Linux managers take no window handle: the data is null.
    if (call(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr) != TWRC_SUCCESS) {
        library_.reset();
        return false;
    }
    managerOpen_ = true;
    return true;
}

bool TwainSession::closeManager() {
    if (!managerOpen_ || sourceOpen_) return false;
    if (call(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, nullptr) != TWRC_SUCCESS) return false;
    managerOpen_ = false;
    library_.reset();
    source_.Id = 0;
    return true;
}

bool TwainSession::openSource() {
    if (sourceOpen_) return true;  // an open source is used again
    if (!managerOpen_) return false;
    if (call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_) != TWRC_SUCCESS) return false;
    sourceOpen_ = true;
    return true;
}

bool TwainSession::closeSource() {
    if (!sourceOpen_ || sourceEnabled_) return false;
    if (call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_) != TWRC_SUCCESS) return false;
    sourceOpen_ = false;
    callback_ = false;
    clearCallbackTarget(this);
    source_.Id = 0;
    std::memset(source_.ProductName, 0, sizeof source_.ProductName);
    return true;
}

bool TwainSession::enableSource() {
    userInterface_ = TW_USERINTERFACE{TW_TRUE, TW_FALSE, nullptr};
    if (call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface_) != TWRC_SUCCESS) {
        return false;
    }
    sourceEnabled_ = true;
    return true;
}

bool TwainSession::disableSource() {
    if (call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface_) != TWRC_SUCCESS) {
        return false;
    }
    sourceEnabled_ = false;
    return true;
}

void TwainSession::registerCallback() {
    TW_CALLBACK registration{};
    const DsmEntryProc procedure = sourceCallback;
    std::memcpy(&registration.CallBackProc, &procedure, sizeof procedure);
    setCallbackTarget(this);
    callback_ =
        call(DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &registration) == TWRC_SUCCESS;
    if (!callback_) clearCallbackTarget(this);
}

// ---- Capabilities ----

bool TwainSession::setOneValue(TW_UINT16 capability, TW_UINT16 itemType, TW_UINT32 value) {
    TW_HANDLE container = library_->allocate(sizeof(TW_ONEVALUE));
    void* memory = library_->lock(container);
    if (memory == nullptr) {
        library_->release(container);
        return false;
    }
    const TW_ONEVALUE one{itemType, value};
    std::memcpy(memory, &one, sizeof one);
    library_->unlock(container);
    TW_CAPABILITY request{capability, TWON_ONEVALUE, container};
    const TW_UINT16 rc = call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &request);
    library_->release(container);
    return rc == TWRC_SUCCESS;
}

std::optional<TW_UINT32> TwainSession::getOneValue(TW_UINT16 capability) {
    TW_CAPABILITY request{capability, TWON_ONEVALUE, nullptr};
    if (call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &request) != TWRC_SUCCESS) return std::nullopt;
    TW_HANDLE container = nullptr;
    std::memcpy(&container, &request.hContainer, sizeof container);
    std::optional<TW_UINT32> value;
    if (const void* memory = library_->lock(container);
        memory != nullptr && request.ConType == TWON_ONEVALUE) {
        TW_ONEVALUE one{};
        std::memcpy(&one, memory, sizeof one);
        value = one.ItemType == TWTY_BOOL || one.ItemType == TWTY_UINT16 ? one.Item & 0xFFFFu
                                                                         : one.Item;
    }
    library_->unlock(container);
    library_->release(container);
    return value;
}

void TwainSession::enableFeeder() {
    // Flatbed sources refuse these; their settings stay as they are.
    auto feeder = getOneValue(CAP_FEEDERENABLED);
    if (!feeder) return;
    if (*feeder != TW_TRUE) {
        setOneValue(CAP_FEEDERENABLED, TWTY_BOOL, TW_TRUE);
        feeder = getOneValue(CAP_FEEDERENABLED);
    }
    if (feeder != TW_UINT32(TW_TRUE)) return;
    const auto autoFeed = getOneValue(CAP_AUTOFEED);
    if (autoFeed && *autoFeed != TW_TRUE) {
        setOneValue(CAP_AUTOFEED, TWTY_BOOL, TW_TRUE);
        getOneValue(CAP_AUTOFEED);
    }
}

// ---- Source selection and listing ----

std::vector<SourceInfo> TwainSession::enumerateSources() {
    std::vector<SourceInfo> sources;
    TW_IDENTITY identity{};
    // A list that never ends is cut off rather than filling the memory.
    for (TW_UINT16 rc = call(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity);
         rc == TWRC_SUCCESS && sources.size() < kMaxSources;
         rc = call(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity)) {
        sources.push_back({textOf(identity.ProductName), textOf(identity.Manufacturer)});
        identity = TW_IDENTITY{};
    }
    return sources;
}

std::optional<std::string> TwainSession::selectSource(const SourceChooser& choose) {
    if (running() || !openManager()) return std::nullopt;
    std::optional<std::string> chosen;
    if (!sourceOpen_) {
        TW_IDENTITY defaultSource{};
        call(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &defaultSource);
        TW_IDENTITY picked{};
        const TW_UINT16 rc = call(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &picked);
        if (rc == TWRC_SUCCESS) {
            chosen = textOf(picked.ProductName);
        } else if (rc == TWRC_FAILURE && choose) {
            // The Linux manager has no selection dialog of its own.
            chosen = choose(enumerateSources(), textOf(defaultSource.ProductName));
        }
        if (chosen) {
            source_ = TW_IDENTITY{};
            copyText(source_.ProductName, *chosen);
        }
    }
    closeManager();
    return chosen;
}

void TwainSession::listSources(std::function<void(std::vector<SourceInfo>)> done) {
    std::vector<SourceInfo> sources;
    const bool wasOpen = managerOpen_;
    if (openManager()) {
        sources = enumerateSources();
        if (!wasOpen) closeManager();
    }
    driver_.post([alive = std::weak_ptr<int>(alive_), done = std::move(done), sources] {
        if (alive.lock() && done) done(sources);
    });
}

// ---- Acquisition ----

bool TwainSession::start(const BatchRequest& request, BatchEvents events) {
    if (running()) return false;
    if (!sourceOpen_) {
        // No source open: the one named (or, unnamed, the manager's default).
        source_.Id = 0;
        copyText(source_.ProductName, request.device);
        app_.Id = 0;
    }
    if (!openManager()) return false;
    const bool reopened = !sourceOpen_;
    if (!openSource()) {
        closeManager();
        return false;
    }
    if (reopened) registerCallback();
    if (!setOneValue(ICAP_XFERMECH, TWTY_UINT16, TWSX_NATIVE)) {
        closeSource();
        closeManager();
        return false;
    }
    enableFeeder();
    if (sourceEnabled_) return false;
    if (!enableSource()) {
        closeSource();
        closeManager();
        return false;
    }
    acquiring_ = kAcquiringMode;
    batch_ = std::move(events);
    result_ = BatchResult{};
    cancelRequested_ = false;
    failedTransfers_ = 0;
    undecodablePages_ = 0;
    if (!callback_) driver_.startTimer(kPollMilliseconds, [this] { pollEvent(); });
    return true;
}

void TwainSession::cancel() {
    if (!running()) return;
    if (transferring_) {
        cancelRequested_ = true;  // honoured before the next transfer
        return;
    }
    result_.cancelled = true;
    closeConnection();
    endBatch();
}

void TwainSession::shutdown() {
    driver_.stopTimer();
    if (managerOpen_) {
        if (sourceEnabled_ && !disableSource()) {
            endBatch();
            return;
        }
        if (sourceOpen_) closeSource();
        closeManager();
    }
    if (running()) result_.cancelled = true;
    endBatch();
}

// ---- Events ----

void TwainSession::onSourceMessage(TW_UINT16 message) {
    {
        std::lock_guard lock(messagesMutex_);
        messages_.push_back(message);
    }
    driver_.post([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.lock()) deliverMessages();
    });
}

void TwainSession::deliverMessages() {
    for (;;) {
        TW_UINT16 message = 0;
        {
            std::lock_guard lock(messagesMutex_);
            if (messages_.empty()) return;
            message = messages_.front();
            messages_.pop_front();
        }
        if (managerOpen_ && sourceOpen_) handleSourceMessage(message);
    }
}

void TwainSession::pollEvent() {
    if (!managerOpen_ || !sourceOpen_ || transferring_) return;
    TW_EVENT event{};
    if (call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT) {
        TW_UINT16 message = 0;
        std::memcpy(&message, &event.TWMessage, sizeof message);
        handleSourceMessage(message);
    }
}

void TwainSession::handleSourceMessage(TW_UINT16 message) {
    switch (message) {
        case MSG_XFERREADY:
            if (acquiring_ != 0 && !transferring_) {
                transferring_ = true;
                driver_.stopTimer();
                transferStep();
            }
            break;
        case MSG_CLOSEDSREQ:
        case MSG_CLOSEDSOK:
            if (!transferring_) {
                closeConnection();
                endBatch();
            }
            break;
        default:
            break;
    }
}

// ---- Transfers ----

void TwainSession::scheduleTransferStep() {
    driver_.post([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.lock() && transferring_) transferStep();
    });
}

std::optional<TransferInfo> TwainSession::imageInfo() {
    TW_IMAGEINFO info{};
    if (call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) return std::nullopt;
    TW_INT32 width = 0, length = 0;
    TW_INT16 bits = 0;
    std::memcpy(&width, &info.ImageWidth, sizeof width);
    std::memcpy(&length, &info.ImageLength, sizeof length);
    std::memcpy(&bits, &info.BitsPerPixel, sizeof bits);
    return TransferInfo{width, length, bits};
}

std::optional<ScannedPage> TwainSession::takePage(TW_HANDLE handle,
                                                  const std::optional<TransferInfo>& info) {
    if (!info) {
        pageUnreadable("the source gave no image info for the page");
        return std::nullopt;
    }
    const void* memory = library_->lock(handle);
    std::string problem;
    // The handle carries no size: the image info bounds what is read.
    auto page = memory != nullptr ? decodeTransferredPage(static_cast<const std::uint8_t*>(memory),
                                                          *info, &problem)
                                  : std::nullopt;
    if (memory == nullptr) problem = "the page's memory could not be locked";
    library_->unlock(handle);
    if (!page) pageUnreadable(problem);
    return page;
}

void TwainSession::pageUnreadable(const std::string& problem) {
    ++undecodablePages_;
    if (batch_ && batch_->pageProblem) batch_->pageProblem(DeviceError::BadPage, problem);
}

void TwainSession::transferStep() {
    if (cancelRequested_) {
        result_.cancelled = true;
        dropPendingPages();
        return;
    }
    const std::optional<TransferInfo> info = imageInfo();
    TW_HANDLE handle = nullptr;
    const TW_UINT16 rc = call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    if (rc != TWRC_XFERDONE) {
        if (rc == TWRC_CANCEL) {
            result_.cancelled = true;
        } else {
            result_.error = errorForCondition(status_.ConditionCode);
        }
    }
    TW_PENDINGXFERS pending{};
    call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    TW_UINT16 count = 0;
    std::memcpy(&count, &pending.Count, sizeof count);

    std::optional<ScannedPage> page;
    if (rc == TWRC_XFERDONE) {
        failedTransfers_ = 0;
        if (reinterpret_cast<std::uintptr_t>(handle) >= kSmallestHandle) {
            page = takePage(handle, info);
            library_->release(handle);  // before the manager may be unloaded
        } else {
            pageUnreadable("the source reported a page without data");
        }
        if (page) undecodablePages_ = 0;
    } else {
        ++failedTransfers_;
    }
    if (count == 0) closeConnection();
    bool keepGoing = true;
    if (page && batch_) {
        ++result_.pages;
        keepGoing = !batch_->page || batch_->page(*page);
    }
    if (count == 0) {
        endBatch();
        return;
    }
    if (!keepGoing) cancelRequested_ = true;
    if (failedTransfers_ >= kMaxFailedTransfers) {
        dropPendingPages();
        return;
    }
    if (undecodablePages_ >= kMaxUndecodablePages) {
        // A source that keeps sending what cannot be read is stopped
        // rather than fed sheet after sheet.
        result_.error = DeviceError::BadPage;
        result_.detail = "unreadable pages in a row; the feeder was stopped";
        dropPendingPages();
        return;
    }
    scheduleTransferStep();
}

void TwainSession::dropPendingPages() {
    TW_PENDINGXFERS pending{};
    call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    closeConnection();
    endBatch();
}

void TwainSession::closeConnection() {
    bool closed = !sourceEnabled_ || disableSource();
    closed = closed && (!sourceOpen_ || closeSource());
    if (closed && managerOpen_) closeManager();
}

void TwainSession::endBatch() {
    driver_.stopTimer();
    acquiring_ = 0;
    transferring_ = false;
    if (!batch_) return;
    BatchEvents events = std::move(*batch_);
    batch_.reset();
    if (events.finished) events.finished(result_);
}

}  // namespace fenwary
