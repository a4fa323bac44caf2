// Scanning through SANE's test backend (a private configuration: only the
// test device is ever opened): listing, a whole feeder batch saved as files
// the engine reads with their resolution, a flatbed page, line art at one
// bit, three-pass and hand-scanner frames, and device faults (jam, cover,
// busy, a device that disappears mid-batch, an empty feeder, cancel). A thin
// wrapper over libsane injects the faults the backend cannot and checks
// that every call ran on one worker thread and that every batch ended with
// sane_cancel.
#include "scanner/core/sane_scanner.h"

#include <gtest/gtest.h>
#include <sane/saneopts.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "engine/image/image_loader.h"
#include "engine/image/jfif_density.h"
#include "scanner/core/page_saver.h"
#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

using testing::BatchRecord;
using testing::pixelAt;
using testing::Rgb;
using testing::runUntil;
using testing::TempFolder;

/// What the wrapper saw, kept by the test after the scanner is gone.
struct Observed {
    std::mutex mutex;
    std::set<std::thread::id> threads;
    int starts = 0;
    int cancels = 0;
    int opens = 0;
    int closes = 0;
    std::atomic<int> exits{0};
};

/// A read that blocks until the test lets it go (or, unless told to ignore
/// it, until sane_cancel): a device that stopped answering.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    bool cancelled = false;
    bool ignoreCancel = false;  ///< a driver that never returns by itself
    bool reached = false;

    SANE_Status block() {
        std::unique_lock lock(mutex);
        reached = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released || (cancelled && !ignoreCancel); });
        return SANE_STATUS_CANCELLED;
    }
    void cancel() {
        std::lock_guard lock(mutex);
        cancelled = true;
        changed.notify_all();
    }
    void release() {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
};

/// Faults to inject, and options to set before the first sane_start.
struct Faults {
    SANE_Status openStatus = SANE_STATUS_GOOD;
    int failFromPage = 0;  ///< from this page on (1-based), sane_start fails
    SANE_Status startStatus = SANE_STATUS_IO_ERROR;
    bool emptyFeeder = false;                    ///< the first sane_start answers NO_DOCS
    std::map<std::string, std::string> options;  ///< name -> value (string or "1"/number)
    int blockReadOnPage = 0;                     ///< the first read of this page blocks
    std::shared_ptr<Gate> gate;
};

class FaultySane final : public SaneApi {
public:
    FaultySane(Observed& observed, Faults faults)
        : real_(makeLibSane()), observed_(observed), faults_(std::move(faults)) {}

    SANE_Status init(SANE_Int* version) override { return seen(real_->init(version)); }
    void exit() override {
        seen(0);
        real_->exit();
        ++observed_.exits;
    }
    SANE_Status getDevices(const SANE_Device*** list, SANE_Bool localOnly) override {
        return seen(real_->getDevices(list, localOnly));
    }
    SANE_Status open(SANE_String_Const name, SANE_Handle* handle) override {
        seen(0);
        ++observed_.opens;
        if (faults_.openStatus != SANE_STATUS_GOOD) return faults_.openStatus;
        pages_ = 0;
        optionsApplied_ = false;
        return real_->open(name, handle);
    }
    void close(SANE_Handle handle) override {
        seen(0);
        ++observed_.closes;
        real_->close(handle);
    }
    const SANE_Option_Descriptor* optionDescriptor(SANE_Handle handle, SANE_Int option) override {
        seen(0);
        return real_->optionDescriptor(handle, option);
    }
    SANE_Status controlOption(SANE_Handle handle, SANE_Int option, SANE_Action action, void* value,
                              SANE_Int* info) override {
        return seen(real_->controlOption(handle, option, action, value, info));
    }
    SANE_Status start(SANE_Handle handle) override {
        seen(0);
        ++observed_.starts;
        if (faults_.emptyFeeder) return SANE_STATUS_NO_DOCS;
        if (faults_.failFromPage > 0 && pages_ + 1 >= faults_.failFromPage) {
            return faults_.startStatus;  // the device is gone
        }
        if (!optionsApplied_) applyOptions(handle);  // after the scanner set its options
        optionsApplied_ = true;
        const SANE_Status status = real_->start(handle);
        SANE_Parameters p{};
        if (status == SANE_STATUS_GOOD && real_->parameters(handle, &p) == SANE_STATUS_GOOD &&
            (p.format != SANE_FRAME_GREEN && p.format != SANE_FRAME_BLUE)) {
            ++pages_;  // a new page (not the second or third frame of one)
        }
        return status;
    }
    SANE_Status parameters(SANE_Handle handle, SANE_Parameters* parameters) override {
        return seen(real_->parameters(handle, parameters));
    }
    SANE_Status read(SANE_Handle handle, SANE_Byte* data, SANE_Int max, SANE_Int* length) override {
        seen(0);
        if (faults_.gate && pages_ == faults_.blockReadOnPage && !blocked_) {
            blocked_ = true;
            *length = 0;
            return faults_.gate->block();
        }
        return real_->read(handle, data, max, length);
    }
    void cancel(SANE_Handle handle) override {
        if (faults_.gate) {  // may come from the watch thread: not counted as the worker's
            faults_.gate->cancel();
            real_->cancel(handle);
            return;
        }
        seen(0);
        ++observed_.cancels;
        real_->cancel(handle);
    }

private:
    template <typename T>
    T seen(T value) {
        std::lock_guard lock(observed_.mutex);
        observed_.threads.insert(std::this_thread::get_id());
        return value;
    }

    void applyOptions(SANE_Handle handle) {
        SANE_Int count = 0;
        real_->controlOption(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr);
        for (const auto& [name, value] : faults_.options) {
            for (SANE_Int i = 1; i < count; ++i) {
                const SANE_Option_Descriptor* d = real_->optionDescriptor(handle, i);
                if (d == nullptr || d->name == nullptr || name != d->name) continue;
                if (d->type == SANE_TYPE_STRING) {
                    std::vector<char> text(std::size_t(d->size), '\0');
                    std::strncpy(text.data(), value.c_str(), text.size() - 1);
                    real_->controlOption(handle, i, SANE_ACTION_SET_VALUE, text.data(), nullptr);
                } else {
                    SANE_Word word = std::stoi(value);
                    if (d->type == SANE_TYPE_FIXED) word = SANE_FIX(word);
                    real_->controlOption(handle, i, SANE_ACTION_SET_VALUE, &word, nullptr);
                }
            }
        }
    }

    std::unique_ptr<SaneApi> real_;
    Observed& observed_;
    Faults faults_;
    int pages_ = 0;
    bool optionsApplied_ = false;
    bool blocked_ = false;
};

class SaneScannerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::usePrivateSaneConfig(); }

    /// Scans one batch through a fresh scanner; false when it did not end.
    bool scan(const BatchRequest& request, Faults faults, BatchRecord& record) {
        SaneScanner scanner(driver_, std::make_unique<FaultySane>(observed_, std::move(faults)));
        if (!scanner.start(request, record.events())) return false;
        EXPECT_TRUE(scanner.running());
        const bool ended = runUntil(driver_, [&] { return record.finished; });
        EXPECT_FALSE(scanner.running());
        return ended;
    }

    static BatchRequest request(bool feeder, int dpi, ScanMode mode) {
        BatchRequest r;
        r.device = "test:0";
        r.feeder = feeder;
        r.resolutionDpi = dpi;
        r.mode = mode;
        return r;
    }

    void expectOneWorkerThreadAndCancelPerBatch(int batches) {
        EXPECT_EQ(observed_.threads.size(), 1u);
        EXPECT_EQ(observed_.threads.count(std::this_thread::get_id()), 0u);
        EXPECT_EQ(observed_.cancels, batches);
        EXPECT_EQ(observed_.closes, observed_.opens);
    }

    ManualEventDriver driver_;
    Observed observed_;
};

TEST_F(SaneScannerTest, ListsTheTestDevicesOnly) {
    SaneScanner scanner(driver_);
    std::vector<SourceInfo> found;
    bool done = false;
    scanner.listSources([&](std::vector<SourceInfo> sources) {
        found = std::move(sources);
        done = true;
    });
    ASSERT_TRUE(runUntil(driver_, [&] { return done; }));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "test:0");
    EXPECT_EQ(found[1].name, "test:1");
    EXPECT_NE(found[0].description.find("frontend-tester"), std::string::npos);
}

TEST_F(SaneScannerTest, FeederBatchBecomesFilesTheEngineReadsWithTheirResolution) {
    BatchRecord record;
    TempFolder folder;
    ScanSettings settings = ScanSettings::defaults(folder.str());
    settings.prefix = "A";
    const PageSaver saver;
    std::vector<std::string> written;
    BatchEvents events = record.events();
    events.page = [&](ScannedPage& page) {
        const SaveOutcome outcome = saver.save(page, settings);
        written.push_back(outcome.path);
        return outcome.written();
    };
    events.finished = [&](const BatchResult& result) {
        record.finished = true;
        record.result = result;
    };
    SaneScanner scanner(driver_, std::make_unique<FaultySane>(observed_, Faults{}));
    ASSERT_TRUE(scanner.start(request(true, 150, ScanMode::Color), events));
    ASSERT_TRUE(runUntil(driver_, [&] { return record.finished; }));

    // The test device's feeder holds ten sheets.
    EXPECT_EQ(record.result.pages, 10);
    EXPECT_EQ(record.result.error, DeviceError::None);
    ASSERT_EQ(written.size(), 10u);
    EXPECT_EQ(written.front(), folder.str() + "/A0001.jpg");
    EXPECT_EQ(written.back(), folder.str() + "/A0010.jpg");
    EXPECT_EQ(settings.counter, 11u);
    for (const std::string& path : written) {
        std::string error;
        const auto raster = strovik::loadImageFile(path, &error);
        ASSERT_TRUE(raster) << path << ": " << error;
        // 80 x 100 mm at 150 dpi; the test picture is solid black.
        EXPECT_EQ(raster->width(), 472);
        EXPECT_EQ(raster->height(), 590);
        EXPECT_LT(pixelAt(*raster, 200, 300).g, 16);
        const auto density = strovik::readJfifDensity(path);
        ASSERT_TRUE(density);
        EXPECT_EQ(density->x, 150);
        EXPECT_EQ(density->y, 150);
    }
    scanner.shutdown();
    expectOneWorkerThreadAndCancelPerBatch(1);
}

TEST_F(SaneScannerTest, FlatbedGivesOnePage) {
    BatchRecord record;
    ASSERT_TRUE(scan(request(false, 50, ScanMode::Gray), {}, record));
    EXPECT_EQ(record.pages.size(), 1u);
    EXPECT_EQ(observed_.starts, 1);
    expectOneWorkerThreadAndCancelPerBatch(1);
}

TEST_F(SaneScannerTest, LineArtOnADeviceWithoutItScansGreyAtOneBitWithSetBitsBlack) {
    BatchRecord record;
    ASSERT_TRUE(scan(request(false, 50, ScanMode::Lineart), {}, record));
    ASSERT_EQ(record.pages.size(), 1u);
    EXPECT_EQ(pixelAt(record.pages[0].pixels, 10, 10), (Rgb{0, 0, 0}));
    Faults white;
    white.options = {{"test-picture", "Solid white"}};
    BatchRecord whitePage;
    ASSERT_TRUE(scan(request(false, 50, ScanMode::Lineart), white, whitePage));
    ASSERT_EQ(whitePage.pages.size(), 1u);
    EXPECT_EQ(pixelAt(whitePage.pages[0].pixels, 10, 10), (Rgb{255, 255, 255}));
}

TEST_F(SaneScannerTest, ThreePassAndHandScannerFramesMakeWholePages) {
    Faults threePass;
    threePass.options = {{"three-pass", "1"}, {"test-picture", "Color pattern"}};
    BatchRecord colour;
    ASSERT_TRUE(scan(request(false, 50, ScanMode::Color), threePass, colour));
    ASSERT_EQ(colour.pages.size(), 1u);
    EXPECT_EQ(observed_.starts, 3);  // one sane_start per colour
    const strovik::Raster& page = colour.pages[0].pixels;
    EXPECT_EQ(page.width(), 157);
    bool coloured = false;
    for (int x = 0; x < page.width() && !coloured; ++x) {
        const Rgb p = pixelAt(page, x, page.height() / 2);
        coloured = p.r != p.g || p.g != p.b;
    }
    EXPECT_TRUE(coloured);

    Faults hand;
    hand.options = {{"hand-scanner", "1"}};
    BatchRecord handPage;
    ASSERT_TRUE(scan(request(false, 50, ScanMode::Gray), hand, handPage));
    ASSERT_EQ(handPage.pages.size(), 1u);
    EXPECT_GT(handPage.pages[0].pixels.height(), 0);
}

TEST_F(SaneScannerTest, DeviceFaultsAreTyped) {
    const std::pair<const char*, DeviceError> cases[] = {
        {"SANE_STATUS_JAMMED", DeviceError::Jammed},
        {"SANE_STATUS_COVER_OPEN", DeviceError::CoverOpen},
        {"SANE_STATUS_IO_ERROR", DeviceError::Io},
    };
    for (const auto& [status, error] : cases) {
        Faults faults;
        faults.options = {{"read-return-value", status}};
        BatchRecord record;
        ASSERT_TRUE(scan(request(true, 50, ScanMode::Gray), faults, record)) << status;
        EXPECT_EQ(record.result.error, error) << status;
        EXPECT_TRUE(record.pages.empty());
        EXPECT_FALSE(record.result.detail.empty());
    }
    Faults busy;
    busy.openStatus = SANE_STATUS_DEVICE_BUSY;
    BatchRecord busyRecord;
    ASSERT_TRUE(scan(request(true, 50, ScanMode::Gray), busy, busyRecord));
    EXPECT_EQ(busyRecord.result.error, DeviceError::Busy);

    Faults empty;
    empty.emptyFeeder = true;
    BatchRecord emptyRecord;
    ASSERT_TRUE(scan(request(true, 50, ScanMode::Gray), empty, emptyRecord));
    EXPECT_EQ(emptyRecord.result.error, DeviceError::FeederEmpty);

    BatchRecord missing;
    BatchRequest nowhere = request(true, 50, ScanMode::Gray);
    nowhere.device = "test:9";
    ASSERT_TRUE(scan(nowhere, {}, missing));
    EXPECT_EQ(missing.result.error, DeviceError::Io);
    EXPECT_NE(missing.result.detail.find("test:9"), std::string::npos);
}

TEST_F(SaneScannerTest, DeviceThatDisappearsAtPageThreeKeepsPagesOneAndTwo) {
    Faults faults;
    faults.failFromPage = 3;
    BatchRecord record;
    ASSERT_TRUE(scan(request(true, 50, ScanMode::Color), faults, record));
    EXPECT_EQ(record.pages.size(), 2u);
    EXPECT_EQ(record.result.pages, 2);
    EXPECT_EQ(record.result.error, DeviceError::Io);
    expectOneWorkerThreadAndCancelPerBatch(1);
}

TEST_F(SaneScannerTest, CancelStopsTheFeederButKeepsEveryScannedPage) {
    BatchRecord record;
    record.keepGoing = [](int page) { return page < 2; };
    ASSERT_TRUE(scan(request(true, 50, ScanMode::Gray), {}, record));
    EXPECT_TRUE(record.result.cancelled);
    // The next sheet is fed only after page 2 was handled, so none is read
    // past the refusal.
    EXPECT_EQ(record.pages.size(), 2u);
    EXPECT_EQ(record.result.pages, int(record.pages.size()));
    expectOneWorkerThreadAndCancelPerBatch(1);
}

TEST_F(SaneScannerTest, ShutdownDuringABatchEndsWithoutHanging) {
    BatchRecord record;
    {
        SaneScanner scanner(driver_, std::make_unique<FaultySane>(observed_, Faults{}));
        ASSERT_TRUE(scanner.start(request(true, 50, ScanMode::Gray), record.events()));
        driver_.waitForTask(5000);  // the first page is waiting to be taken
    }                               // the scanner goes while pages are pending
    driver_.runPending();
    EXPECT_FALSE(record.finished);
    EXPECT_EQ(observed_.cancels, observed_.opens);
}

TEST_F(SaneScannerTest, DeviceThatStopsAnsweringIsCancelledAndReportedWithItsPagesKept) {
    Faults faults;
    faults.blockReadOnPage = 4;
    faults.gate = std::make_shared<Gate>();
    BatchRequest r = request(true, 50, ScanMode::Gray);
    r.noDataTimeout = std::chrono::milliseconds(100);
    BatchRecord record;
    ASSERT_TRUE(scan(r, faults, record));
    EXPECT_EQ(record.pages.size(), 3u);
    EXPECT_EQ(record.result.pages, 3);
    EXPECT_EQ(record.result.error, DeviceError::NotResponding);
    EXPECT_EQ(deviceErrorText(record.result.error), "スキャナが応答しません");
    EXPECT_TRUE(faults.gate->cancelled) << "the device was cancelled";
}

TEST_F(SaneScannerTest, DriverThatNeverReturnsEndsTheBatchAndIsLeftBehindAtShutdown) {
    // The scanner and what its worker touches outlive the test body until
    // the worker is done.
    auto observed = std::make_shared<Observed>();
    Faults faults;
    faults.blockReadOnPage = 2;
    faults.gate = std::make_shared<Gate>();
    faults.gate->ignoreCancel = true;
    // Kept reachable: it is never destroyed, as the program never destroys
    // a scanner whose worker was left behind.
    static SaneScanner* scanner = nullptr;
    static std::shared_ptr<Observed> keptObserved;
    keptObserved = observed;
    scanner = new SaneScanner(driver_, std::make_unique<FaultySane>(*observed, faults));
    scanner->setShutdownGrace(std::chrono::milliseconds(50));
    BatchRequest r = request(true, 50, ScanMode::Gray);
    r.noDataTimeout = std::chrono::milliseconds(100);
    BatchRecord record;
    ASSERT_TRUE(scanner->start(r, record.events()));
    ASSERT_TRUE(runUntil(driver_, [&] { return record.finished; }));
    EXPECT_EQ(record.result.error, DeviceError::NotResponding);
    EXPECT_EQ(record.pages.size(), 1u);
    EXPECT_FALSE(scanner->running());
    BatchRecord refused;
    EXPECT_FALSE(scanner->start(r, refused.events())) << "the worker is still blocked";

    scanner->shutdown();  // returns although the read never does
    EXPECT_TRUE(scanner->workerAbandoned());

    faults.gate->release();  // the driver returns at last; the worker ends
    for (int i = 0; i < 500 && observed->exits == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(observed->exits, 1);
    driver_.runPending();
    EXPECT_TRUE(refused.pages.empty());
    // The abandoned scanner is never destroyed: its worker may still use it.
}

}  // namespace
}  // namespace fenwary
