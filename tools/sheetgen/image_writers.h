// One writer per file format; saveImage() picks among them. Each returns
// false with a message in `error` instead of throwing or aborting. JPEG, BMP
// and PNG are the suite's common writers (common/image); GIF and TIFF, which
// only the generator writes, are its own.
#pragma once

#include <string>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {

bool writeJpeg(const std::string& path, const Image& image, int dpi, int quality,
               std::string& error);
bool writeBmp(const std::string& path, const Image& image, int dpi, std::string& error);
bool writeGif(const std::string& path, const Image& image, std::string& error);
bool writePng(const std::string& path, const Image& image, int dpi, std::string& error);
bool writeTiff(const std::string& path, const Image& image, int dpi, std::string& error);

}  // namespace sheetgen
