// Turns the command's image and folder arguments into the list of images.
#pragma once

#include <string>
#include <vector>

namespace velmora::cli {

struct ImageList {
    std::vector<std::string> images;  ///< in reading order
    std::string error;                ///< one line; empty on success
};

/// Expands the inputs in argument order. A folder stands for the regular
/// files directly inside it (symbolic links to regular files included, no
/// subfolders), sorted by the bytes of their names; its entries are written
/// as the folder argument, a "/" unless it already ends in one, and the name.
/// Any other argument is taken as given, even when no such file exists: the
/// reading then reports it as an image that cannot be loaded. Errors: an
/// argument ending in "/" that is not a folder, an argument that exists but
/// is neither a folder nor a regular file (a FIFO, a device), a folder that
/// cannot be listed, and an expansion that yields no image at all.
ImageList expandInputs(const std::vector<std::string>& inputs);

/// Why an existing `path` cannot be read as `what` (a FIFO, a device, a
/// folder: "WHAT is not a regular file: PATH"); empty when it is a regular
/// file or does not exist (the caller reports a missing file its own way).
std::string notRegularFileProblem(const std::string& path, const std::string& what);

/// The first image that is a TIFF of more than one page (the engine would
/// read its first page only): "multi-page TIFF (N pages) ...: PATH"; empty
/// when there is none.
std::string multiPageProblem(const std::vector<std::string>& images);

/// The files directly inside `folder`, sorted by name; false with `error`
/// set when the folder cannot be listed.
bool listFolder(const std::string& folder, std::vector<std::string>& names, std::string& error);

}  // namespace velmora::cli
