#include "tools/velmora/image_list.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "engine/image/tiff_pages.h"

namespace velmora::cli {

namespace fs = std::filesystem;

bool listFolder(const std::string& folder, std::vector<std::string>& names, std::string& error) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    const fs::directory_iterator end;
    while (!ec && it != end) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc)) names.push_back(it->path().filename().string());
        it.increment(ec);
    }
    if (ec) {
        error = "cannot list folder " + folder + ": " + ec.message();
        return false;
    }
    std::sort(names.begin(), names.end());
    return true;
}

std::string notRegularFileProblem(const std::string& path, const std::string& what) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status) || fs::is_regular_file(status)) return {};
    return what + " is not a regular file: " + path;
}

std::string multiPageProblem(const std::vector<std::string>& images) {
    for (const std::string& image : images) {
        const std::optional<int> pages = strovik::tiffPageCount(image);
        if (pages && *pages > 1) {
            return "multi-page TIFF (" + std::to_string(*pages) +
                   " pages) is not one sheet; split it first with 'velmora split': " + image;
        }
    }
    return {};
}

ImageList expandInputs(const std::vector<std::string>& inputs) {
    ImageList list;
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (!fs::is_directory(input, ec)) {
            if (!input.empty() && input.back() == '/') {
                list.error = "no such folder: " + input;
                return list;
            }
            list.error = notRegularFileProblem(input, "image");
            if (!list.error.empty()) return list;
            list.images.push_back(input);
            continue;
        }
        std::vector<std::string> names;
        if (!listFolder(input, names, list.error)) return list;
        const std::string prefix = input.back() == '/' ? input : input + "/";
        for (const std::string& name : names) list.images.push_back(prefix + name);
    }
    if (list.images.empty()) list.error = "no images found in the given folders";
    return list;
}

}  // namespace velmora::cli
