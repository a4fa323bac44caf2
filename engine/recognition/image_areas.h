// Image-area crops (straightened, scaled, sharpened JPEG files) and the
// diagnostic image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image/raster.h"
#include "engine/recognition/alignment.h"
#include "engine/recognition/engine_core.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {

/// A small top-down BGR picture, 3 bytes a pixel, no padding.
struct CropImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

/// Box of an area from its corners: left = min(x1, x4), right = max(x2, x3),
/// top = min(y1, y2), bottom = max(y3, y4).
struct AreaBox {
    int left = 0, top = 0, width = 0, height = 0;
};
AreaBox areaBox(const ImageArea& area);

/// Copies the box moved by (dx, dy) out of a raster whose rows run top to
/// bottom; positions outside the raster are white.
CropImage copyBox(const Raster& topDown, const AreaBox& box, int dx, int dy);

/// Straightening angle of an area in radians: the slope of its top edge
/// (corner 1 to corner 2, atan2) plus the sheet angle; 0 when not finite.
double straightenAngle(const ImageArea& area, double sheetAngle);

/// Rotates a crop about its centre by `phi` radians with the 10-bit
/// fixed-point bilinear rule; sources outside stay white.
CropImage straighten(const CropImage& crop, double phi);

/// Nearest-neighbour scaling to trunc(rate * w) by trunc(rate * h); a rate of
/// exactly 1.0 returns the crop unchanged.
CropImage scaleNearest(const CropImage& crop, double rate);

/// Unsharp step: v + trunc(q * (v - mean5) / 15), clamped to 0..255.
void sharpen(CropImage& crop, int rate);

/// File name of area `index`: "%s_%03d.jpg".
std::string cropFileName(const std::string& basePath, int index);

/// Cuts, straightens, scales, sharpens and saves every area (quality 75).
/// `topDown` is the working raster after its vertical flip. Crops of size 0,
/// crops larger than 20000 pixels a side, 80 million pixels or four times
/// the sheet's pixels (corners no sheet can have), and files that cannot be
/// written are skipped.
void cutImageAreas(const Raster& topDown, const std::vector<ImageArea>& areas,
                   const Alignment& alignment, const CropOptions& options);

/// The same, cut from the image as a view shows it (upright or turned), so
/// the raster is neither flipped nor turned for its crops.
void cutImageAreas(const RasterView& image, const std::vector<ImageArea>& areas,
                   const Alignment& alignment, const CropOptions& options);

/// Saves the whole raster as the diagnostic image (quality 60).
/// `rowsTopDown` tells the raster's current row order.
bool saveDiagnosticImage(const Raster& raster, bool rowsTopDown, const std::string& path);

}  // namespace strovik
