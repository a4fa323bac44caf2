#include "scanner/core/batch_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "scanner/core/page_naming.h"

namespace fenwary {

namespace {

constexpr const char* kSuiteFolder = "tarrow/";
constexpr const char* kScanFolder = "スキャン/";
constexpr int kMaxBatchFolders = 10000;
constexpr mode_t kFolderMode = 0777;  // narrowed by the umask

}  // namespace

std::string batchRootFolder(std::string_view documentsFolder) {
    return withTrailingSeparator(documentsFolder) + kSuiteFolder + kScanFolder;
}

bool isBatchRootFolder(std::string_view folder, std::string_view documentsFolder) {
    return !folder.empty() && withTrailingSeparator(folder) == batchRootFolder(documentsFolder);
}

std::string createBatchFolder(const std::string& root, const std::tm& startTime,
                              std::string* error) {
    std::error_code made;
    std::filesystem::create_directories(root, made);
    char name[64];
    std::strftime(name, sizeof name, "%Y-%m-%d_%H%M", &startTime);
    const std::string base = withTrailingSeparator(root) + name;
    for (int n = 1; n < kMaxBatchFolders; ++n) {
        const std::string path = base + collisionSuffix(n);
        if (::mkdir(path.c_str(), kFolderMode) == 0) return path + "/";
        if (errno != EEXIST) {
            if (error != nullptr) *error = path + ": " + std::strerror(errno);
            return {};
        }
    }
    if (error != nullptr) *error = base + ": " + std::strerror(EEXIST);
    return {};
}

}  // namespace fenwary
