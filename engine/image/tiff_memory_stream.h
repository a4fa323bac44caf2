// A TIFF file held in memory, for libtiff's client-open callbacks: the
// decoder reads a file's bytes through it and the page splitter writes each
// page into it before the page goes to disk in one atomic step.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <span>
#include <string>

namespace strovik {

/// The bytes of one TIFF file and a position in them, with the semantics of
/// a file descriptor:
/// - read copies from the position up to the end and advances; at or past
///   the end it reads nothing;
/// - write (writable streams only) copies at the position, growing the
///   bytes (a gap left by a seek past the end reads as zeros); a read-only
///   stream refuses every write with -1;
/// - seek takes the offset as signed, as lseek does (libtiff passes it as
///   an unsigned toff_t): SEEK_SET from 0, SEEK_CUR from the position,
///   SEEK_END from the size. A target below 0 or beyond INT64_MAX (the
///   largest file offset) is refused with toff_t(-1) and leaves the position
///   where it was; a target at or past the end is allowed.
class TiffMemoryStream {
public:
    /// Writable and empty.
    TiffMemoryStream() = default;
    /// Read-only over `bytes`, which must outlive the stream.
    explicit TiffMemoryStream(std::span<const std::uint8_t> bytes);

    tmsize_t read(void* out, tmsize_t size);
    tmsize_t write(const void* data, tmsize_t size);
    toff_t seek(toff_t offset, int whence);

    toff_t size() const;
    toff_t position() const { return position_; }

    /// The written bytes (writable streams), leaving the stream empty.
    std::string takeBytes();

    /// libtiff's client open over this stream; `mode` as for TIFFOpen ("r",
    /// "rm", "w"), `options` may carry the caller's error handlers. The
    /// stream must outlive the returned handle.
    TIFF* open(const char* name, const char* mode, TIFFOpenOptions* options);

private:
    std::span<const std::uint8_t> readOnly_;
    std::string written_;
    bool writable_ = true;
    toff_t position_ = 0;
};

}  // namespace strovik
