// The resolution a scan records in its header, for JPEG, PNG, TIFF and BMP
// files: what the definition editor stores as the definition's DPI_X and
// DPI_Y and scales its default sizes by. (The engine's sampling keeps to
// the JFIF density alone; see jfif_density.h.)
#pragma once

#include <optional>
#include <string>

#include "engine/image/jfif_density.h"

namespace strovik {

/// Dots per inch in x and y, rounded to the nearest whole number:
///  - a ".jpg" / ".jpeg" name: the JFIF density (readJfifDensity);
///  - PNG: the pHYs chunk before the image data, when its unit is the metre;
///  - TIFF: XResolution and YResolution of the first image, in inches or
///    centimetres by ResolutionUnit (inches when absent);
///  - BMP: the pixels-per-metre fields of a header of 40 bytes or more.
/// nullopt when the file has none, states no unit, gives a zero or negative
/// value, or is not one of these formats.
std::optional<Density> readImageDensity(const std::string& path);

}  // namespace strovik
