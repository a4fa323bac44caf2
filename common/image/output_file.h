// What the image writers share: checking the pixels, opening the file and
// closing it (removing it when anything failed), and filling in the error.
#pragma once

#include <cstdio>
#include <string>

#include "common/image/image_writers.h"

namespace velmora::detail {

/// Sets the reason (and the error number) when `error` is given.
void setWriteError(ImageWriteError* error, std::string reason, int errorNumber,
                   ImageWriteError::Stage stage);

/// True when the view has pixels, a positive size and a row stride that
/// holds a row; grey (one byte a pixel) only when `greyAllowed`.
bool checkPixels(const PixelView& pixels, bool greyAllowed, ImageWriteError* error);

/// Opens `path` for binary writing; nullptr with the reason on failure.
std::FILE* openImageFile(const std::string& path, ImageWriteError* error);

/// Closes the file. When `written` is false or the close fails, the file is
/// removed and `failure` (or the close's reason) kept in `error`. Returns
/// whether the whole file is on disk.
bool closeImageFile(std::FILE* file, const std::string& path, bool written,
                    const ImageWriteError& failure, ImageWriteError* error);

}  // namespace velmora::detail
