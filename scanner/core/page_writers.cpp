#include "scanner/core/page_writers.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "engine/image/jpeg_writer.h"

namespace fenwary {

namespace {

constexpr std::size_t kBmpFileHeaderBytes = 14;
constexpr std::size_t kBmpInfoHeaderBytes = 40;
constexpr std::uint16_t kBmpPlanes = 1;
constexpr std::uint16_t kBmpBitsPerPixel = 24;
constexpr int kPngBitDepth = 8;

void setError(std::string* error, const std::string& text) {
    if (error != nullptr) *error = text;
}

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// ---- PNG ----

struct PngWriteState {
    std::FILE* file = nullptr;
    std::jmp_buf jump;
    char message[128] = {};
};

void pngFail(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngWriteState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    std::longjmp(state->jump, 1);
}

void pngWarn(png_structp, png_const_charp) {}

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<PngWriteState*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, state->file) != length) png_error(png, "Write Error");
}

void pngFlush(png_structp png) {
    auto* state = static_cast<PngWriteState*>(png_get_io_ptr(png));
    std::fflush(state->file);
}

// Runs between setjmp and the end of writing: no objects with destructors.
bool compressPng(PngWriteState& state, const strovik::Raster& pixels, int dpi, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, pngFail, pngWarn);
    if (png == nullptr) {
        std::snprintf(state.message, sizeof state.message, "Visualpng: Out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(state.jump) != 0) {
        if (info == nullptr) std::snprintf(state.message, sizeof state.message, "Out of memory");
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, &state, pngWrite, pngFlush);
    png_set_IHDR(png, info, png_uint_32(pixels.width()), png_uint_32(pixels.height()), kPngBitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (dpi > 0) {
        const auto perMetre = png_uint_32(pixelsPerMetreFromDpi(dpi));
        png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// ---- BMP ----

void putU16(std::uint8_t* at, std::uint32_t value) {
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

void putU32(std::uint8_t* at, std::uint32_t value) {
    putU16(at, value & 0xFFFFu);
    putU16(at + 2, value >> 16);
}

std::size_t paddedRowBytes(int width) {
    return (std::size_t(width) * 3 + 3) & ~std::size_t(3);
}

class File {
public:
    File(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {}
    ~File() {
        if (file_ != nullptr) std::fclose(file_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::FILE* get() const { return file_; }
    /// Closes the stream; false when buffered data could not be written.
    bool close() {
        std::FILE* file = file_;
        file_ = nullptr;
        return file != nullptr && std::fclose(file) == 0;
    }

private:
    std::FILE* file_;
};

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

bool writePng(const std::string& path, const strovik::Raster& pixels, int dpi, std::string* error) {
    if (pixels.empty()) {
        setError(error, "empty page");
        return false;
    }
    std::vector<png_bytep> rows;
    try {
        rows.resize(std::size_t(pixels.height()));
    } catch (const std::bad_alloc&) {
        setError(error, "Visualpng: Out of memory");
        return false;
    }
    // PNG rows run top-down; the raster stores them bottom-up.
    for (int y = 0; y < pixels.height(); ++y) {
        rows[std::size_t(y)] = const_cast<png_bytep>(pixels.storedRow(pixels.height() - 1 - y));
    }
    File file(path, "wb");
    if (file.get() == nullptr) {
        setError(error, systemError("cannot create the file"));
        return false;
    }
    PngWriteState state;
    state.file = file.get();
    bool ok = compressPng(state, pixels, dpi, rows.data());
    if (!ok) setError(error, state.message);
    if (!file.close() && ok) {
        ok = false;
        setError(error, systemError("Write Error"));
    }
    return ok;
}

bool writeBmp(const std::string& path, const strovik::Raster& pixels,
              const PageResolution& resolution, std::string* error) {
    if (pixels.empty()) {
        setError(error, "empty page");
        return false;
    }
    const std::size_t rowBytes = paddedRowBytes(pixels.width());
    const std::size_t imageBytes = rowBytes * std::size_t(pixels.height());
    const std::size_t offset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
    if (imageBytes > std::size_t(UINT32_MAX) - offset) {
        setError(error, "page too large for a bitmap file");
        return false;
    }
    std::array<std::uint8_t, kBmpFileHeaderBytes + kBmpInfoHeaderBytes> header{};
    header[0] = 'B';
    header[1] = 'M';
    putU32(&header[2], std::uint32_t(offset + imageBytes));
    putU32(&header[10], std::uint32_t(offset));
    std::uint8_t* info = &header[kBmpFileHeaderBytes];
    putU32(info, std::uint32_t(kBmpInfoHeaderBytes));
    putU32(info + 4, std::uint32_t(pixels.width()));
    putU32(info + 8, std::uint32_t(pixels.height()));
    putU16(info + 12, kBmpPlanes);
    putU16(info + 14, kBmpBitsPerPixel);
    putU32(info + 20, std::uint32_t(imageBytes));
    putU32(info + 24, std::uint32_t(resolution.xPixelsPerMetre));
    putU32(info + 28, std::uint32_t(resolution.yPixelsPerMetre));

    File file(path, "wb");
    if (file.get() == nullptr) {
        setError(error, systemError("cannot create the file"));
        return false;
    }
    bool ok = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
    const std::array<std::uint8_t, 3> padding{};
    const std::size_t padBytes = rowBytes - pixels.rowBytes();
    for (int r = 0; ok && r < pixels.height(); ++r) {
        ok = std::fwrite(pixels.storedRow(r), 1, pixels.rowBytes(), file.get()) ==
                 pixels.rowBytes() &&
             std::fwrite(padding.data(), 1, padBytes, file.get()) == padBytes;
    }
    ok = file.close() && ok;
    if (!ok) setError(error, systemError("write failed"));
    return ok;
}

bool writeJpeg(const std::string& path, const strovik::Raster& pixels, int quality, int dpi,
               std::string* error) {
    strovik::JpegImage image;
    image.pixels = pixels.data();
    image.width = pixels.width();
    image.height = pixels.height();
    image.bytesPerPixel = strovik::Raster::kBytesPerPixel;
    image.bottomUp = true;
    if (!strovik::saveJpeg(path, image, quality, dpi)) {
        setError(error, "JPEG write failed");
        return false;
    }
    return true;
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
