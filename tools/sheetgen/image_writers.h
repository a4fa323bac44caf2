// One writer per file format; saveImage() picks among them. Each returns
// false with a message in `error` instead of throwing or aborting.
#pragma once

#include <cstdio>
#include <string>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {

bool writeJpeg(const std::string& path, const Image& image, int dpi, int quality,
               std::string& error);
bool writeBmp(const std::string& path, const Image& image, int dpi, std::string& error);
bool writeGif(const std::string& path, const Image& image, std::string& error);
bool writePng(const std::string& path, const Image& image, int dpi, std::string& error);
bool writeTiff(const std::string& path, const Image& image, int dpi, std::string& error);

/// Opens `path` for binary writing; nullptr with `error` set on failure.
std::FILE* openForWriting(const std::string& path, std::string& error);

/// Pixels per metre for a resolution in dots per inch.
unsigned pixelsPerMetre(int dpi);

}  // namespace sheetgen
