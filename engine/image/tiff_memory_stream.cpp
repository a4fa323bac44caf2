#include "engine/image/tiff_memory_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace strovik {

namespace {

// The largest offset a file can have (off_t's largest value).
constexpr toff_t kMaxOffset = toff_t(std::numeric_limits<std::int64_t>::max());
constexpr toff_t kRefused = toff_t(-1);

TiffMemoryStream& streamOf(thandle_t handle) {
    return *static_cast<TiffMemoryStream*>(handle);
}

tmsize_t readProc(thandle_t handle, void* out, tmsize_t size) {
    return streamOf(handle).read(out, size);
}

tmsize_t writeProc(thandle_t handle, void* data, tmsize_t size) {
    return streamOf(handle).write(data, size);
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
    return streamOf(handle).seek(offset, whence);
}

int closeProc(thandle_t) {
    return 0;
}

toff_t sizeProc(thandle_t handle) {
    return streamOf(handle).size();
}

// No mapping: libtiff then reads through readProc.
int mapProc(thandle_t, void**, toff_t*) {
    return 0;
}

void unmapProc(thandle_t, void*, toff_t) {}

}  // namespace

TiffMemoryStream::TiffMemoryStream(std::span<const std::uint8_t> bytes)
    : readOnly_(bytes), writable_(false) {}

toff_t TiffMemoryStream::size() const {
    return writable_ ? toff_t(written_.size()) : toff_t(readOnly_.size());
}

tmsize_t TiffMemoryStream::read(void* out, tmsize_t size) {
    const toff_t total = this->size();
    if (size <= 0 || position_ >= total) return 0;
    const std::size_t count = std::size_t(std::min<toff_t>(toff_t(size), total - position_));
    const char* from =
        writable_ ? written_.data() : reinterpret_cast<const char*>(readOnly_.data());
    std::memcpy(out, from + position_, count);
    position_ += count;
    return tmsize_t(count);
}

tmsize_t TiffMemoryStream::write(const void* data, tmsize_t size) {
    if (!writable_ || size < 0) return -1;
    if (size == 0) return 0;
    if (toff_t(size) > kMaxOffset - position_) return -1;
    const toff_t end = position_ + toff_t(size);
    // libtiff cannot take an exception: running out of memory is a failed
    // write.
    try {
        if (written_.size() < end) written_.resize(std::size_t(end));
    } catch (const std::bad_alloc&) {
        return -1;
    } catch (const std::length_error&) {
        return -1;
    }
    std::memcpy(written_.data() + position_, data, std::size_t(size));
    position_ = end;
    return size;
}

toff_t TiffMemoryStream::seek(toff_t offset, int whence) {
    toff_t base = 0;
    if (whence == SEEK_CUR) {
        base = position_;
    } else if (whence == SEEK_END) {
        base = size();
    } else if (whence != SEEK_SET) {
        return kRefused;
    }
    // Both base and the target stay within [0, kMaxOffset]; the offset is
    // a signed distance.
    const auto distance = static_cast<std::int64_t>(offset);
    toff_t target = 0;
    if (distance < 0) {
        const toff_t back = toff_t(-(distance + 1)) + 1;  // |distance| without overflow
        if (back > base) return kRefused;
        target = base - back;
    } else {
        if (toff_t(distance) > kMaxOffset - base) return kRefused;
        target = base + toff_t(distance);
    }
    position_ = target;
    return position_;
}

std::string TiffMemoryStream::takeBytes() {
    std::string bytes = std::move(written_);
    written_.clear();
    position_ = 0;
    return bytes;
}

TIFF* TiffMemoryStream::open(const char* name, const char* mode, TIFFOpenOptions* options) {
    return TIFFClientOpenExt(name, mode, this, readProc, writeProc, seekProc, closeProc, sizeProc,
                             mapProc, unmapProc, options);
}

}  // namespace strovik
