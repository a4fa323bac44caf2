// Writing one page to its file as JPEG (with the JFIF density), PNG (with a
// pHYs chunk) or BMP (24 bits), through the suite's image writers
// (common/image). Every page is written to a temporary file in the output
// folder and flushed to disk (StagedPage); only then does it get its name,
// and by default only a name nothing else holds: the name is taken with a
// rename that refuses to replace (or a hard link), so no existing file and
// no symbolic link is ever written over, and a crash or a full disk never
// leaves half a page under a final name.
#pragma once

#include <functional>
#include <string>

#include "engine/image/raster.h"
#include "scanner/core/acquisition.h"
#include "scanner/core/page_naming.h"

namespace fenwary {

struct PageWriteOptions {
    ImageFormat format = ImageFormat::Jpeg;
    int jpegQuality = 75;
    /// Resolution recorded in JPEG (JFIF density) and PNG (pHYs); below 1
    /// records none.
    int dpi = 0;
    /// Pixels per metre recorded in a BMP header (the page's own values).
    PageResolution bmpResolution;
};

/// Why a write failed: a one-line technical reason and the system's error
/// number (errno; EIO when the library gave none).
struct WriteFailure {
    std::string reason;
    int errorNumber = 0;
};

/// The Japanese cause shown to the user for a system error number: a full
/// disk, missing permission, ... or the system's own text.
std::string writeFailureCause(int errorNumber);

/// Encodes a page into the existing empty file `path`. The real one is
/// encodePage; tests put a failing one in its place.
using PageEncoder = std::function<bool(const std::string& path, const strovik::Raster& pixels,
                                       const PageWriteOptions& options, WriteFailure& failure)>;

/// Writes the page in the format of `options` (JPEG, PNG or BMP).
bool encodePage(const std::string& path, const strovik::Raster& pixels,
                const PageWriteOptions& options, WriteFailure& failure);

/// A page written completely to a hidden temporary file in its output folder
/// and flushed to disk, waiting for its name. The temporary file is removed
/// when the object goes unless the page was placed.
class StagedPage {
public:
    enum class Placement {
        Placed,  ///< the page has the name now
        Taken,   ///< something already has that name; nothing changed
        Failed,  ///< the system refused (see the failure)
    };

    StagedPage(const std::string& folder, const strovik::Raster& pixels,
               const PageWriteOptions& options, const PageEncoder& encoder = encodePage);
    ~StagedPage();
    StagedPage(const StagedPage&) = delete;
    StagedPage& operator=(const StagedPage&) = delete;

    /// True when the page is on disk under its temporary name.
    bool ready() const { return !path_.empty() && failure_.reason.empty(); }
    const WriteFailure& failure() const { return failure_; }

    /// Gives the page the name `target` unless a file, a symbolic link (even
    /// a dangling one) or anything else already has it.
    Placement placeNew(const std::string& target);
    /// Gives the page the name `target`, replacing a regular file of that
    /// name; a symbolic link or anything else there is Taken.
    Placement placeReplacing(const std::string& target);

private:
    Placement finishPlacing(const std::string& target);

    std::string path_;
    WriteFailure failure_;
    bool placed_ = false;
};

/// The single-format writers, writing straight to `path` (no temporary
/// file). They are used by writePageFile and by the benchmark.
bool writePng(const std::string& path, const strovik::Raster& pixels, int dpi, std::string* error);
bool writeBmp(const std::string& path, const strovik::Raster& pixels,
              const PageResolution& resolution, std::string* error);
bool writeJpeg(const std::string& path, const strovik::Raster& pixels, int quality, int dpi,
               std::string* error);

}  // namespace fenwary
