// A TWAIN data source manager with one simulated source, loaded by the
// tests in place of libtwaindsm.so. It keeps the protocol's states 1 to 7
// and answers a call out of order with TWRC_FAILURE / TWCC_SEQERROR. Its
// behaviour is read from the environment at MSG_OPENDSM:
//
//   FAKE_TWAIN_LOG         file that receives one line per call:
//                          "DG DAT MSG[:CAP] -> rc cc state" (hex ids)
//   FAKE_TWAIN_SOURCES     product names, comma-separated ("Fake Feeder")
//   FAKE_TWAIN_PAGES       sheets in the feeder (3); 0: an empty feeder
//   FAKE_TWAIN_USERSELECT  ok | cancel | refuse (refuse, as on Linux)
//   FAKE_TWAIN_CALLBACK    sync | thread | refuse (sync): how MSG_XFERREADY
//                          and MSG_CLOSEDSREQ reach the application
//   FAKE_TWAIN_XFERMECH    accept | refuse
//   FAKE_TWAIN_FEEDER      1: the source has a feeder; 0: flatbed only
//   FAKE_TWAIN_USER_CANCEL 1: the user closes the source's dialog at once
//   FAKE_TWAIN_FAULT       cancel | jam | bogus at FAKE_TWAIN_FAULT_PAGE
//   FAKE_TWAIN_PPM         pixels per metre in the pages (11811)
//   FAKE_TWAIN_BITS        1 | 8 | 24 bits a pixel (24)
//   FAKE_TWAIN_TIFF        1: pages come as TIFF files
//   FAKE_TWAIN_WIDTH / FAKE_TWAIN_HEIGHT   page size (40 x 30)
//   FAKE_TWAIN_MEMORY      plain | own (plain): own hands out handles that
//                          are records of its own, not the data's address
//   FAKE_TWAIN_HOSTILE     endless-sources (MSG_GETNEXT never ends) |
//                          undecodable (pages of noise) | empty-done (done
//                          transfers without a handle); with the last two
//                          the pending count never drops
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scanner/core/twain_types.h"

using namespace fenwary::twain;

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Config {
    std::string log;
    std::vector<std::string> sources;
    int pages = 3;
    std::string userSelect = "refuse";
    std::string callback = "sync";
    bool refuseXferMech = false;
    bool feeder = true;
    bool userCancel = false;
    std::string fault;
    int faultPage = 0;
    int ppm = 11811;
    int bits = 24;
    bool tiff = false;
    int width = 40;
    int height = 30;
    std::string hostile;
};

std::string env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

int envInt(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

Config readConfig() {
    Config c;
    c.log = env("FAKE_TWAIN_LOG", "");
    std::string list = env("FAKE_TWAIN_SOURCES", "Fake Feeder");
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start) c.sources.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    c.pages = envInt("FAKE_TWAIN_PAGES", 3);
    c.userSelect = env("FAKE_TWAIN_USERSELECT", "refuse");
    c.callback = env("FAKE_TWAIN_CALLBACK", "sync");
    c.refuseXferMech = env("FAKE_TWAIN_XFERMECH", "accept") == "refuse";
    c.feeder = envInt("FAKE_TWAIN_FEEDER", 1) != 0;
    c.userCancel = envInt("FAKE_TWAIN_USER_CANCEL", 0) != 0;
    c.fault = env("FAKE_TWAIN_FAULT", "");
    c.faultPage = envInt("FAKE_TWAIN_FAULT_PAGE", 0);
    c.ppm = envInt("FAKE_TWAIN_PPM", 11811);
    c.bits = envInt("FAKE_TWAIN_BITS", 24);
    c.tiff = envInt("FAKE_TWAIN_TIFF", 0) != 0;
    c.width = envInt("FAKE_TWAIN_WIDTH", 40);
    c.height = envInt("FAKE_TWAIN_HEIGHT", 30);
    c.hostile = env("FAKE_TWAIN_HOSTILE", "");
    return c;
}

struct Manager {
    Config config;
    int state = 2;
    TW_UINT16 condition = TWCC_SUCCESS;
    std::size_t nextSource = 0;
    TW_IDENTITY source{};
    TW_IDENTITY app{};
    DsmEntryProc callback = nullptr;
    bool feederEnabled = false;
    bool autoFeed = false;
    int transferred = 0;
    int pending = 0;
    bool faultHappened = false;
    TW_UINT16 queued = 0;
    std::thread notifier;
    std::mutex logMutex;
};

Manager manager;

// A handle of the manager's own memory: the data lies elsewhere, and not at
// the start of a malloc block.
struct OwnBlock {
    std::uint32_t size = 0;
    std::uint8_t* raw = nullptr;
};
constexpr std::size_t kOwnOffset = 16;

bool ownMemory() {
    const char* value = std::getenv("FAKE_TWAIN_MEMORY");
    return value != nullptr && std::strcmp(value, "own") == 0;
}

TW_HANDLE memAllocate(TW_UINT32 bytes) {
    if (!ownMemory()) return std::calloc(1, bytes);
    auto* block = new OwnBlock;
    block->size = bytes;
    block->raw = static_cast<std::uint8_t*>(std::calloc(1, bytes + kOwnOffset));
    return block;
}

void* memLock(TW_HANDLE handle) {
    if (!ownMemory() || handle == nullptr) return handle;
    return static_cast<OwnBlock*>(handle)->raw + kOwnOffset;
}

void memFree(TW_HANDLE handle) {
    if (!ownMemory() || handle == nullptr) {
        std::free(handle);
        return;
    }
    auto* block = static_cast<OwnBlock*>(handle);
    std::free(block->raw);
    delete block;
}

void logLine(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, int cap, TW_UINT16 rc, TW_UINT16 cc) {
    if (manager.config.log.empty()) return;
    std::lock_guard lock(manager.logMutex);
    if (std::FILE* f = std::fopen(manager.config.log.c_str(), "a")) {
        if (cap >= 0) {
            std::fprintf(f, "%x %x %x:%x -> %u %u %d\n", dg, dat, msg, cap, rc, cc, manager.state);
        } else {
            std::fprintf(f, "%x %x %x -> %u %u %d\n", dg, dat, msg, rc, cc, manager.state);
        }
        std::fclose(f);
    }
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

/// Grey level of page `page` at (x, y from the top).
std::uint8_t greyAt(int page, int x, int y) {
    return std::uint8_t((x * 3 + y * 5 + page * 40) & 255);
}

std::vector<std::uint8_t> makeDib(int page) {
    const Config& c = manager.config;
    const int colours = c.bits <= 8 ? 1 << c.bits : 0;
    const std::size_t stride = (std::size_t(c.width) * std::size_t(c.bits) + 31) / 32 * 4;
    std::vector<std::uint8_t> dib(40 + std::size_t(colours) * 4 + stride * std::size_t(c.height));
    put32(dib, 0, 40);
    put32(dib, 4, std::uint32_t(c.width));
    put32(dib, 8, std::uint32_t(c.height));
    put16(dib, 12, 1);
    put16(dib, 14, std::uint32_t(c.bits));
    put32(dib, 24, std::uint32_t(c.ppm));
    put32(dib, 28, std::uint32_t(c.ppm));
    for (int i = 0; i < colours; ++i) {
        const std::uint8_t v = std::uint8_t(c.bits == 1 ? i * 255 : i);
        dib[40 + std::size_t(i) * 4] = dib[41 + std::size_t(i) * 4] = dib[42 + std::size_t(i) * 4] =
            v;
    }
    std::uint8_t* pixels = dib.data() + 40 + std::size_t(colours) * 4;
    for (int y = 0; y < c.height; ++y) {
        std::uint8_t* row = pixels + std::size_t(c.height - 1 - y) * stride;  // bottom-up
        for (int x = 0; x < c.width; ++x) {
            const std::uint8_t grey = greyAt(page, x, y);
            if (c.bits == 24) {
                row[x * 3] = std::uint8_t(page * 50);  // blue tells the page
                row[x * 3 + 1] = grey;
                row[x * 3 + 2] = std::uint8_t(255 - grey);
            } else if (c.bits == 8) {
                row[x] = grey;
            } else if (grey >= 128) {
                row[x / 8] |= std::uint8_t(0x80 >> (x % 8));  // index 1: white
            }
        }
    }
    if (manager.config.fault == "bogus" && page == manager.config.faultPage) {
        put32(dib, 4, 4000);  // claims far more pixels than the block holds
        put32(dib, 8, 4000);
    }
    return dib;
}

std::vector<std::uint8_t> makeTiff(int page) {
    const Config& c = manager.config;
    constexpr int kEntries = 12;
    const std::size_t ifd = 8, rationals = ifd + 2 + kEntries * 12 + 4, data = rationals + 16;
    std::vector<std::uint8_t> t(data + std::size_t(c.width * c.height));
    t[0] = t[1] = 'I';
    put16(t, 2, 42);
    put32(t, 4, std::uint32_t(ifd));
    put16(t, ifd, kEntries);
    const std::uint32_t dpi = std::uint32_t((c.ppm * 254 + 5000) / 10000);
    const std::uint32_t entries[kEntries][4] = {{256, 4, 1, std::uint32_t(c.width)},
                                                {257, 4, 1, std::uint32_t(c.height)},
                                                {258, 3, 1, 8},
                                                {259, 3, 1, 1},
                                                {262, 3, 1, 1},
                                                {273, 4, 1, std::uint32_t(data)},
                                                {277, 3, 1, 1},
                                                {278, 4, 1, std::uint32_t(c.height)},
                                                {279, 4, 1, std::uint32_t(c.width * c.height)},
                                                {282, 5, 1, std::uint32_t(rationals)},
                                                {283, 5, 1, std::uint32_t(rationals + 8)},
                                                {296, 3, 1, 2}};
    for (int i = 0; i < kEntries; ++i) {
        const std::size_t at = ifd + 2 + std::size_t(i) * 12;
        put16(t, at, entries[i][0]);
        put16(t, at + 2, entries[i][1]);
        put32(t, at + 4, entries[i][2]);
        put32(t, at + 8, entries[i][3]);
    }
    put32(t, rationals, dpi);
    put32(t, rationals + 4, 1);
    put32(t, rationals + 8, dpi);
    put32(t, rationals + 12, 1);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x)
            t[data + std::size_t(y * c.width + x)] = greyAt(page, x, y);
    }
    return t;
}

void joinNotifier() {
    if (manager.notifier.joinable()) manager.notifier.join();
}

/// The source tells the application a message: through the callback (now or
/// from a thread) or by queueing it for MSG_PROCESSEVENT.
void notify(TW_UINT16 msg) {
    if (manager.callback == nullptr) {
        manager.queued = msg;
        return;
    }
    if (msg == MSG_XFERREADY) manager.state = 6;
    if (manager.config.callback == "thread") {
        joinNotifier();
        manager.notifier = std::thread([msg, proc = manager.callback] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            proc(&manager.source, &manager.app, DG_CONTROL, DAT_NULL, msg, nullptr);
        });
    } else {
        manager.callback(&manager.source, &manager.app, DG_CONTROL, DAT_NULL, msg, nullptr);
    }
}

TW_UINT16 fail(TW_UINT16 cc) {
    manager.condition = cc;
    return TWRC_FAILURE;
}

bool inState(int low, int high) {
    return manager.state >= low && manager.state <= high;
}

void fillSource(TW_IDENTITY* id, std::size_t index) {
    *id = TW_IDENTITY{};
    id->Id = TW_UINT32(100 + index);
    std::snprintf(id->ProductName, sizeof id->ProductName, "%s",
                  manager.config.sources[index].c_str());
    std::snprintf(id->Manufacturer, sizeof id->Manufacturer, "Fake Works");
}

TW_UINT16 identity(TW_UINT16 msg, TW_IDENTITY* id) {
    auto& sources = manager.config.sources;
    switch (msg) {
        case MSG_GETDEFAULT:
            if (!inState(3, 7) || sources.empty()) return fail(TWCC_NODS);
            fillSource(id, 0);
            return TWRC_SUCCESS;
        case MSG_GETFIRST:
            manager.nextSource = 0;
            [[fallthrough]];
        case MSG_GETNEXT:
            if (!inState(3, 7)) return fail(TWCC_SEQERROR);
            if (manager.config.hostile == "endless-sources") {
                fillSource(id, 0);  // the list never ends
                return TWRC_SUCCESS;
            }
            if (manager.nextSource >= sources.size()) return TWRC_ENDOFLIST;
            fillSource(id, manager.nextSource++);
            return TWRC_SUCCESS;
        case MSG_USERSELECT:
            if (!inState(3, 3)) return fail(TWCC_SEQERROR);
            if (manager.config.userSelect == "refuse") return fail(TWCC_BADPROTOCOL);
            if (manager.config.userSelect == "cancel") return TWRC_CANCEL;
            fillSource(id, sources.size() - 1);
            return TWRC_SUCCESS;
        case MSG_OPENDS: {
            if (!inState(3, 3)) return fail(TWCC_SEQERROR);
            std::size_t index = 0;
            if (id->ProductName[0] != '\0') {
                while (index < sources.size() && sources[index] != id->ProductName) ++index;
            }
            if (index >= sources.size()) return fail(TWCC_NODS);
            fillSource(id, index);
            manager.source = *id;
            manager.state = 4;
            return TWRC_SUCCESS;
        }
        case MSG_CLOSEDS:
            if (!inState(4, 4)) return fail(TWCC_SEQERROR);
            manager.state = 3;
            manager.callback = nullptr;
            return TWRC_SUCCESS;
        default:
            return fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 oneValueGet(TW_CAPABILITY* cap, TW_UINT16 type, TW_UINT32 value) {
    TW_HANDLE handle = memAllocate(sizeof(TW_ONEVALUE));
    const TW_ONEVALUE one{type, value};
    std::memcpy(memLock(handle), &one, sizeof one);
    cap->ConType = TWON_ONEVALUE;
    std::memcpy(&cap->hContainer, &handle, sizeof handle);
    return TWRC_SUCCESS;
}

bool oneValueSet(TW_CAPABILITY* cap, TW_UINT32* value) {
    TW_HANDLE handle = nullptr;
    std::memcpy(&handle, &cap->hContainer, sizeof handle);
    if (handle == nullptr || cap->ConType != TWON_ONEVALUE) return false;
    TW_ONEVALUE one{};
    std::memcpy(&one, memLock(handle), sizeof one);
    *value = one.Item;
    return true;
}

TW_UINT16 capability(TW_UINT16 msg, TW_CAPABILITY* cap) {
    const bool set = msg == MSG_SET;
    if (set ? !inState(4, 4) : !inState(4, 7)) return fail(TWCC_SEQERROR);
    TW_UINT32 value = 0;
    switch (cap->Cap) {
        case ICAP_XFERMECH:
            if (manager.config.refuseXferMech) return fail(TWCC_CAPUNSUPPORTED);
            if (set)
                return oneValueSet(cap, &value) && value == TWSX_NATIVE ? TWRC_SUCCESS : fail(10);
            return oneValueGet(cap, TWTY_UINT16, TWSX_NATIVE);
        case CAP_FEEDERENABLED:
            if (!manager.config.feeder) return fail(TWCC_CAPUNSUPPORTED);
            if (!set) return oneValueGet(cap, TWTY_BOOL, manager.feederEnabled);
            if (!oneValueSet(cap, &value)) return fail(10);
            manager.feederEnabled = (value & 0xFFFF) != 0;
            return TWRC_SUCCESS;
        case CAP_AUTOFEED:
            if (!manager.feederEnabled) return fail(TWCC_CAPSEQERROR);
            if (!set) return oneValueGet(cap, TWTY_BOOL, manager.autoFeed);
            if (!oneValueSet(cap, &value)) return fail(10);
            manager.autoFeed = (value & 0xFFFF) != 0;
            return TWRC_SUCCESS;
        default:
            return fail(TWCC_CAPUNSUPPORTED);
    }
}

TW_UINT16 nativeTransfer(TW_HANDLE* handle) {
    if (!inState(6, 6)) return fail(TWCC_SEQERROR);
    const int page = manager.transferred + 1;
    if (page == manager.config.faultPage && manager.config.fault == "cancel") {
        manager.faultHappened = true;
        manager.state = 7;
        return TWRC_CANCEL;
    }
    if (page == manager.config.faultPage && manager.config.fault == "jam") {
        manager.faultHappened = true;
        return fail(TWCC_PAPERJAM);
    }
    if (manager.config.hostile == "empty-done") {
        *handle = nullptr;
        manager.transferred = page;
        manager.state = 7;
        return TWRC_XFERDONE;
    }
    std::vector<std::uint8_t> bytes = manager.config.tiff ? makeTiff(page) : makeDib(page);
    if (manager.config.hostile == "undecodable") {
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 7 + 3);
    }
    TW_HANDLE block = memAllocate(TW_UINT32(bytes.size()));
    std::memcpy(memLock(block), bytes.data(), bytes.size());
    *handle = block;
    manager.transferred = page;
    manager.state = 7;
    return TWRC_XFERDONE;
}

TW_UINT16 imageInfo(TW_IMAGEINFO* info) {
    if (!inState(6, 6)) return fail(TWCC_SEQERROR);
    const Config& c = manager.config;
    TW_IMAGEINFO i{};
    i.ImageWidth = c.width;
    i.ImageLength = c.height;
    i.BitsPerPixel = TW_INT16(c.tiff ? 8 : c.bits);
    i.SamplesPerPixel = TW_INT16(i.BitsPerPixel == 24 ? 3 : 1);
    std::memcpy(info, &i, sizeof i);
    return TWRC_SUCCESS;
}

TW_UINT16 pendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending) {
    if (msg == MSG_ENDXFER) {
        if (!inState(6, 7)) return fail(TWCC_SEQERROR);
        const bool stuck =
            manager.config.hostile == "undecodable" || manager.config.hostile == "empty-done";
        if (!stuck) manager.pending = manager.faultHappened ? 0 : manager.pending - 1;
    } else if (msg == MSG_RESET) {
        if (!inState(6, 6)) return fail(TWCC_SEQERROR);
        manager.pending = 0;
    } else {
        return fail(TWCC_BADPROTOCOL);
    }
    pending->Count = TW_UINT16(manager.pending);
    pending->EOJ = 0;
    manager.state = manager.pending > 0 ? 6 : 5;
    return TWRC_SUCCESS;
}

TW_UINT16 userInterface(TW_UINT16 msg) {
    if (msg == MSG_ENABLEDS) {
        if (!inState(4, 4)) return fail(TWCC_SEQERROR);
        manager.state = 5;
        manager.transferred = 0;
        manager.faultHappened = false;
        manager.pending = manager.config.pages;
        const bool closeNow = manager.config.userCancel || manager.config.pages == 0;
        notify(closeNow ? MSG_CLOSEDSREQ : MSG_XFERREADY);
        return TWRC_SUCCESS;
    }
    if (msg == MSG_DISABLEDS) {
        if (!inState(5, 5)) return fail(TWCC_SEQERROR);
        joinNotifier();
        manager.state = 4;
        manager.queued = 0;
        return TWRC_SUCCESS;
    }
    return fail(TWCC_BADPROTOCOL);
}

TW_UINT16 control(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    switch (dat) {
        case DAT_PARENT:
            if (msg == MSG_OPENDSM) {
                if (!inState(2, 2)) return fail(TWCC_SEQERROR);
                manager.config = readConfig();
                manager.state = 3;
                manager.feederEnabled = manager.autoFeed = false;
                origin->Id = 1;
                manager.app = *origin;
                return TWRC_SUCCESS;
            }
            if (msg == MSG_CLOSEDSM) {
                if (!inState(3, 3)) return fail(TWCC_SEQERROR);
                joinNotifier();
                manager.state = 2;
                return TWRC_SUCCESS;
            }
            return fail(TWCC_BADPROTOCOL);
        case DAT_IDENTITY:
            return identity(msg, static_cast<TW_IDENTITY*>(data));
        case DAT_CALLBACK: {
            if (msg != MSG_REGISTER_CALLBACK || !inState(4, 4)) return fail(TWCC_SEQERROR);
            if (manager.config.callback == "refuse") return fail(TWCC_BADPROTOCOL);
            TW_CALLBACK registration{};
            std::memcpy(&registration, data, sizeof registration);
            std::memcpy(&manager.callback, &registration.CallBackProc, sizeof manager.callback);
            return TWRC_SUCCESS;
        }
        case DAT_CAPABILITY:
            return capability(msg, static_cast<TW_CAPABILITY*>(data));
        case DAT_USERINTERFACE:
            return userInterface(msg);
        case DAT_PENDINGXFERS:
            return pendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
        case DAT_EVENT: {
            if (msg != MSG_PROCESSEVENT || !inState(5, 7)) return fail(TWCC_SEQERROR);
            auto* event = static_cast<TW_EVENT*>(data);
            const TW_UINT16 message = manager.queued;
            manager.queued = 0;
            if (message == MSG_XFERREADY) manager.state = 6;
            if (event != nullptr) std::memcpy(&event->TWMessage, &message, sizeof message);
            return message != 0 ? TWRC_DSEVENT : TWRC_NOTDSEVENT;
        }
        default:
            return fail(TWCC_BADPROTOCOL);
    }
}

}  // namespace

FAKE_EXPORT TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                TW_UINT16 msg, TW_MEMREF data) {
    (void)dest;
    if (dg == DG_CONTROL && dat == DAT_STATUS) {
        auto* status = static_cast<TW_STATUS*>(data);
        const TW_UINT16 cc = manager.condition;
        status->ConditionCode = cc;
        manager.condition = TWCC_SUCCESS;
        logLine(dg, dat, msg, -1, TWRC_SUCCESS, cc);
        return TWRC_SUCCESS;
    }
    manager.condition = TWCC_SUCCESS;
    TW_UINT16 rc = TWRC_FAILURE;
    if (origin == nullptr) {
        rc = fail(TWCC_BADPROTOCOL);
    } else if (dg == DG_CONTROL) {
        rc = control(origin, dat, msg, data);
    } else if (dg == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && msg == MSG_GET) {
        rc = nativeTransfer(static_cast<TW_HANDLE*>(data));
    } else if (dg == DG_IMAGE && dat == DAT_IMAGEINFO && msg == MSG_GET) {
        rc = imageInfo(static_cast<TW_IMAGEINFO*>(data));
    } else {
        rc = fail(TWCC_BADPROTOCOL);
    }
    const int cap = dat == DAT_CAPABILITY ? static_cast<TW_CAPABILITY*>(data)->Cap : -1;
    logLine(dg, dat, msg, cap, rc, manager.condition);
    return rc;
}

FAKE_EXPORT TW_HANDLE DSM_MemAllocate(TW_UINT32 bytes) {
    return memAllocate(bytes);
}
FAKE_EXPORT void DSM_MemFree(TW_HANDLE handle) {
    memFree(handle);
}
FAKE_EXPORT TW_MEMREF DSM_MemLock(TW_HANDLE handle) {
    return memLock(handle);
}
FAKE_EXPORT void DSM_MemUnlock(TW_HANDLE) {}
