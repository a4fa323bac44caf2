// The temporary files of atomic replacement: their names, the list the
// signal handler removes, and the removal of leftovers of killed processes.
// Internal to common/ (atomic_file.h is the public face).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::detail {

/// ".NAME.tmp." for target NAME; six letters or digits follow.
std::string tempNamePrefix(const std::filesystem::path& target);

/// True when `name` is a temporary name made from `prefix`.
bool isTempName(std::string_view name, std::string_view prefix);

/// Lists a temporary file for the signal handler while it lives. The list
/// is a fixed set of slots written with atomic operations only, so the
/// handler can read it; when every slot is taken (or the path is too long)
/// the file is simply not listed.
class TempFileListing {
public:
    explicit TempFileListing(const std::filesystem::path& path);
    ~TempFileListing();
    TempFileListing(const TempFileListing&) = delete;
    TempFileListing& operator=(const TempFileListing&) = delete;

    bool listed() const { return slot_ >= 0; }

private:
    int slot_ = -1;
};

/// Removes the temporary files of `target` in its folder that are regular
/// files older than kStaleTempSeconds. Looks once per target and process:
/// later leftovers of this process are removed where they arise.
void removeStaleTempFiles(const std::filesystem::path& target);

}  // namespace velmora::detail
