#include "scanner/core/page_writers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/image/image_writers.h"
#include "common/resolution.h"

namespace fenwary {

namespace {

// ---- Temporary file and its name ----

constexpr const char* kStagingPattern = ".fenwary-page.XXXXXX";
constexpr mode_t kClaimMode = 0666;  // narrowed by the umask

void fail(WriteFailure& failure, const char* what, int errorNumber) {
    failure.errorNumber = errorNumber != 0 ? errorNumber : EIO;
    failure.reason = std::string(what) + ": " + std::strerror(failure.errorNumber);
}

/// Flushes a file (or a folder's entries) to disk; the errno on failure.
int syncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

bool unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP ||
           error == EPERM;
}

/// Renames `from` to `to` unless `to` exists: 0, or the errno (EEXIST when
/// the name is taken). Where the file system has no such rename, a hard
/// link takes the name instead (link never replaces either); where it has
/// no hard links either (FAT memory sticks), the name is first claimed by
/// creating it exclusively and the page then renamed onto that claim.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (!unsupported(errno) || errno == EPERM) return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (!unsupported(errno)) return errno;
    const int claim =
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kClaimMode);
    if (claim < 0) return errno;
    ::close(claim);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return error;
    }
    return 0;
}

}  // namespace

namespace {

// The raster's rows, bottom row first, as the common writers take them.
velmora::PixelView viewOf(const strovik::Raster& pixels) {
    return velmora::PixelView{pixels.data(),     pixels.width(),
                              pixels.height(),   strovik::Raster::kBytesPerPixel,
                              pixels.rowBytes(), true};
}

bool report(bool written, const velmora::ImageWriteError& failure, std::string* error) {
    if (!written && error != nullptr) *error = failure.reason;
    // The caller reads the failing call's errno.
    if (!written) errno = failure.errorNumber;
    return written;
}

}  // namespace

bool writePng(const std::string& path, const strovik::Raster& pixels, int dpi, std::string* error) {
    std::optional<velmora::DotsPerMetre> density;
    if (dpi > 0) density = velmora::dotsPerMetreFromDpi(velmora::DotsPerInch{dpi, dpi});
    velmora::ImageWriteError failure;
    return report(velmora::writePngFile(path, viewOf(pixels), density, &failure), failure, error);
}

bool writeBmp(const std::string& path, const strovik::Raster& pixels,
              const PageResolution& resolution, std::string* error) {
    const velmora::DotsPerMetre density{resolution.xPixelsPerMetre, resolution.yPixelsPerMetre};
    velmora::ImageWriteError failure;
    return report(velmora::writeBmpFile(path, viewOf(pixels), density, &failure), failure, error);
}

bool writeJpeg(const std::string& path, const strovik::Raster& pixels, int quality, int dpi,
               std::string* error) {
    velmora::JpegSettings settings;
    settings.quality = quality;
    if (dpi > 0) settings.density = velmora::DotsPerInch{dpi, dpi};
    velmora::ImageWriteError failure;
    return report(velmora::writeJpegFile(path, viewOf(pixels), settings, &failure), failure, error);
}

std::string writeFailureCause(int errorNumber) {
    switch (errorNumber) {
        case ENOSPC:
        case EDQUOT:
            return "ディスクの空き容量が不足しています";
        case EACCES:
        case EPERM:
        case EROFS:
            return "書き込み権限がありません";
        case EFBIG:
            return "ファイルが大きすぎます";
        case ENOENT:
        case ENOTDIR:
            return "出力フォルダが見つかりません";
        case EIO:
            return "入出力エラーが発生しました";
        default:
            return std::strerror(errorNumber);
    }
}

bool encodePage(const std::string& path, const strovik::Raster& pixels,
                const PageWriteOptions& options, WriteFailure& failure) {
    errno = 0;
    bool written = false;
    switch (options.format) {
        case ImageFormat::Jpeg:
            written = writeJpeg(path, pixels, options.jpegQuality, options.dpi, &failure.reason);
            break;
        case ImageFormat::Png:
            written = writePng(path, pixels, options.dpi, &failure.reason);
            break;
        case ImageFormat::Bmp:
            written = writeBmp(path, pixels, options.bmpResolution, &failure.reason);
            break;
    }
    // The writers leave the failing call's errno behind.
    if (!written) failure.errorNumber = errno != 0 ? errno : EIO;
    return written;
}

StagedPage::StagedPage(const std::string& folder, const strovik::Raster& pixels,
                       const PageWriteOptions& options, const PageEncoder& encoder) {
    std::string pattern = withTrailingSeparator(folder) + kStagingPattern;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        fail(failure_, "cannot create a file in the output folder", errno);
        return;
    }
    ::close(fd);
    path_ = name.data();
    if (!encoder(path_, pixels, options, failure_)) {
        if (failure_.errorNumber == 0) failure_.errorNumber = EIO;
        if (failure_.reason.empty()) failure_.reason = std::strerror(failure_.errorNumber);
        return;
    }
    failure_ = WriteFailure{};
    if (const int error = syncPath(path_, O_RDONLY); error != 0) {
        fail(failure_, "cannot flush the page to disk", error);
        return;
    }
    // New files get the usual permissions rather than mkstemp's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(path_.c_str(), 0666 & ~mask);
}

StagedPage::~StagedPage() {
    if (!path_.empty() && !placed_) ::unlink(path_.c_str());
}

StagedPage::Placement StagedPage::placeNew(const std::string& target) {
    if (!ready() || placed_) return Placement::Failed;
    const int error = renameNoReplace(path_, target);
    if (error == EEXIST) return Placement::Taken;
    if (error != 0) {
        fail(failure_, "cannot name the page file", error);
        return Placement::Failed;
    }
    return finishPlacing(target);
}

StagedPage::Placement StagedPage::placeReplacing(const std::string& target) {
    if (!ready() || placed_) return Placement::Failed;
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        return Placement::Taken;
    }
    if (std::rename(path_.c_str(), target.c_str()) != 0) {
        fail(failure_, "cannot name the page file", errno);
        return Placement::Failed;
    }
    return finishPlacing(target);
}

StagedPage::Placement StagedPage::finishPlacing(const std::string& target) {
    placed_ = true;
    // The new name itself reaches the disk too (best effort: some file
    // systems refuse fsync on a folder).
    syncPath(std::filesystem::path(target).parent_path().string(), O_RDONLY | O_DIRECTORY);
    return Placement::Placed;
}

}  // namespace fenwary
