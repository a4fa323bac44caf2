#include "common/image/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/symlink_policy.h"

namespace velmora::detail {

void setWriteError(ImageWriteError* error, std::string reason, int errorNumber,
                   ImageWriteError::Stage stage) {
    if (error == nullptr) return;
    *error = ImageWriteError{};
    error->reason = std::move(reason);
    error->errorNumber = errorNumber;
    error->stage = stage;
}

bool checkPixels(const PixelView& pixels, bool greyAllowed, ImageWriteError* error) {
    const bool depthOk = pixels.bytesPerPixel == 3 || (greyAllowed && pixels.bytesPerPixel == 1);
    if (pixels.pixels == nullptr || pixels.width <= 0 || pixels.height <= 0 || !depthOk ||
        pixels.rowStride() < std::size_t(pixels.width) * std::size_t(pixels.bytesPerPixel)) {
        setWriteError(error, "empty image or unsupported pixel layout", 0,
                      ImageWriteError::Stage::Pixels);
        return false;
    }
    return true;
}

std::FILE* openImageFile(const std::string& path, ImageWriteError* error) {
    std::string refusal;
    errno = 0;
    const int fd = openForWriting(path, &refusal);
    if (fd < 0) {
        const int number = errno != 0 ? errno : EACCES;
        if (!refusal.empty()) {
            setWriteError(error, refusal, number, ImageWriteError::Stage::Open);
            if (error != nullptr) error->linkRefused = true;
        } else {
            setWriteError(error, std::string("cannot create the file: ") + std::strerror(number),
                          number, ImageWriteError::Stage::Open);
        }
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int number = errno;
        ::close(fd);
        setWriteError(error, std::string("cannot create the file: ") + std::strerror(number),
                      number, ImageWriteError::Stage::Open);
    }
    return file;
}

bool closeImageFile(std::FILE* file, const std::string& path, bool written,
                    const ImageWriteError& failure, ImageWriteError* error) {
    // Only a regular file is removed after a failure, never a device.
    struct stat status {};
    const bool regular = ::fstat(::fileno(file), &status) == 0 && S_ISREG(status.st_mode);
    errno = 0;
    const bool closed = std::fclose(file) == 0;
    const int closeErrno = errno != 0 ? errno : EIO;
    if (written && closed) return true;
    if (!written) {
        setWriteError(error, failure.reason, failure.errorNumber, ImageWriteError::Stage::Write);
    } else {
        setWriteError(error, std::strerror(closeErrno), closeErrno, ImageWriteError::Stage::Write);
    }
    if (regular) std::remove(path.c_str());
    return false;
}

}  // namespace velmora::detail
