// Exit statuses of the velmora tool. These numbers are part of its interface
// and are never renumbered.
#pragma once

namespace velmora::cli {

inline constexpr int kExitOk = 0;           ///< every image read with status 0
inline constexpr int kExitImageFailed = 1;  ///< at least one image could not be read
inline constexpr int kExitUsage = 2;        ///< bad usage or an unreadable definition
inline constexpr int kExitInternal = 3;     ///< the tool itself failed (threads, memory)

}  // namespace velmora::cli
