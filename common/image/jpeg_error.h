// libjpeg's fatal errors, turned into a jump back to the caller: the library
// calls error_exit, which must not return, and the default one ends the
// process. The caller sets up `jump` with setjmp and cleans up there.
#pragma once

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared first.
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace velmora::detail {

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    /// Set by a decoder whose input ran out before the end-of-image marker.
    bool inputEnded = false;
};

/// Keeps the library's message and jumps back to the caller's setjmp.
[[noreturn]] inline void jumpOnJpegError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

}  // namespace velmora::detail
