#include "engine/recognition/image_areas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "engine/image/jpeg_writer.h"

namespace strovik {
namespace {

constexpr int kBpp = 3;
constexpr std::uint8_t kWhite = 255;
constexpr int kCropQuality = 75;
constexpr int kDiagnosticQuality = 60;

// Definitions are edited by hand, so a crop (before or after scaling) larger
// than this is taken as a mistake and skipped instead of allocated.
constexpr std::int64_t kMaxCropSide = 20000;
constexpr std::int64_t kMaxCropPixels = 80'000'000;
// Nor can an area be much larger than the sheet it is cut from: a definition
// drawn at twice the scans' resolution gives areas four times the size.
constexpr std::int64_t kMaxCropPerSheetPixel = 4;

// 10-bit fixed point of the rotation.
constexpr int kFixedShift = 10;
constexpr std::int64_t kFixedOne = std::int64_t{1} << kFixedShift;
constexpr std::int64_t kFixedMask = kFixedOne - 1;
constexpr std::int64_t kFractionDivisor = 4;  // 0..1023 down to 0..255
constexpr int kMaxWeight = 255;

// Sharpening divides the scaled difference from the local mean by this.
constexpr std::int64_t kSharpenDivisor = 15;

/// Table of floor(v * w / 256) for bytes v and w, used as the interpolation's
/// multiplier so the result matches the integer rule exactly.
class MulTable {
public:
    MulTable() {
        for (int v = 0; v < 256; ++v) {
            for (int w = 0; w < 256; ++w) {
                cells_[std::size_t(v) * 256 + std::size_t(w)] = std::uint8_t(v * w / 256);
            }
        }
    }
    int operator()(int v, int w) const { return cells_[std::size_t(v) * 256 + std::size_t(w)]; }

private:
    std::array<std::uint8_t, 256 * 256> cells_{};
};

const MulTable& mulTable() {
    static const MulTable table;
    return table;
}

int clampToInt(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                        std::numeric_limits<int>::max()));
}

bool sizeAcceptable(std::int64_t w, std::int64_t h) {
    return w > 0 && h > 0 && w <= kMaxCropSide && h <= kMaxCropSide && w * h <= kMaxCropPixels;
}

CropImage whiteCrop(int width, int height) {
    CropImage crop;
    crop.width = width;
    crop.height = height;
    crop.pixels.assign(std::size_t(width) * std::size_t(height) * kBpp, kWhite);
    return crop;
}

/// True when the buffer holds exactly width x height pixels.
bool wellFormed(const CropImage& crop) {
    return crop.width >= 0 && crop.height >= 0 &&
           crop.pixels.size() == std::size_t(crop.width) * std::size_t(crop.height) * kBpp;
}

std::size_t pixelIndex(int width, int x, int y) {
    return (std::size_t(y) * std::size_t(width) + std::size_t(x)) * kBpp;
}

/// trunc(rate * side) when it is a usable crop side, otherwise 0.
int scaledSide(double rate, int side) {
    const double scaled = std::trunc(rate * double(side));
    if (!(scaled >= 1.0) || scaled > double(kMaxCropSide)) return 0;
    return int(scaled);
}

/// One destination pixel of the rotation: bilinear mix of the four source
/// pixels around (ix, iy) with weights fx, fy in 0..255.
void interpolatePixel(const CropImage& src, int ix, int iy, int fx, int fy, std::uint8_t* out) {
    const MulTable& t = mulTable();
    const std::uint8_t* p00 = &src.pixels[pixelIndex(src.width, ix, iy)];
    const std::uint8_t* p01 = &src.pixels[pixelIndex(src.width, ix, iy + 1)];
    for (int c = 0; c < kBpp; ++c) {
        const int upper = t(p00[c], kMaxWeight - fx) + t(p00[kBpp + c], fx);
        const int lower = t(p01[c], kMaxWeight - fx) + t(p01[kBpp + c], fx);
        out[c] = std::uint8_t(t(upper, kMaxWeight - fy) + t(lower, fy));
    }
}

/// Truncating mean of byte c of (x, y) and of its four neighbours inside.
std::uint8_t blurredByte(const CropImage& crop, int x, int y, int c) {
    const auto at = [&](int px, int py) {
        return int(crop.pixels[pixelIndex(crop.width, px, py) + std::size_t(c)]);
    };
    int sum = at(x, y);
    int count = 1;
    const auto add = [&](bool inside, int px, int py) {
        if (!inside) return;
        sum += at(px, py);
        ++count;
    };
    add(x > 0, x - 1, y);
    add(x + 1 < crop.width, x + 1, y);
    add(y > 0, x, y - 1);
    add(y + 1 < crop.height, x, y + 1);
    return std::uint8_t(sum / count);
}

std::vector<std::uint8_t> blurred(const CropImage& crop) {
    std::vector<std::uint8_t> out(crop.pixels.size());
    for (int y = 0; y < crop.height; ++y) {
        for (int x = 0; x < crop.width; ++x) {
            for (int c = 0; c < kBpp; ++c) {
                out[pixelIndex(crop.width, x, y) + std::size_t(c)] = blurredByte(crop, x, y, c);
            }
        }
    }
    return out;
}

/// The image a crop is copied from: pixel x of image row y (0 = top) starts
/// at firstRow + y * rowStep + x * pixelStep.
struct SourceImage {
    const std::uint8_t* firstRow = nullptr;
    std::ptrdiff_t rowStep = 0;
    std::ptrdiff_t pixelStep = kBpp;
    int width = 0;
    int height = 0;
};

SourceImage topDownSource(const Raster& topDown) {
    return SourceImage{topDown.data(), std::ptrdiff_t(topDown.rowBytes()), kBpp, topDown.width(),
                       topDown.height()};
}

SourceImage viewSource(const RasterView& view) {
    if (view.raster().empty()) return SourceImage{};
    return SourceImage{view.row(0), view.rowStep(), view.pixelStep(), view.width(), view.height()};
}

CropImage copyBoxFrom(const SourceImage& source, const AreaBox& box, int dx, int dy) {
    if (box.width <= 0 || box.height <= 0) return CropImage{};
    CropImage crop = whiteCrop(box.width, box.height);
    const std::int64_t srcLeft = std::int64_t{box.left} + dx;
    const std::int64_t srcTop = std::int64_t{box.top} + dy;
    // Columns j of the crop whose source column lies inside the image.
    const std::int64_t firstJ = std::max<std::int64_t>(0, -srcLeft);
    const std::int64_t endJ = std::min<std::int64_t>(box.width, source.width - srcLeft);
    if (firstJ >= endJ) return crop;
    const std::size_t spanBytes = std::size_t(endJ - firstJ) * kBpp;
    for (int k = 0; k < box.height; ++k) {
        const std::int64_t sy = srcTop + k;
        if (sy < 0 || sy >= source.height) continue;
        const std::uint8_t* src =
            source.firstRow + sy * source.rowStep + (srcLeft + firstJ) * source.pixelStep;
        std::uint8_t* out = &crop.pixels[pixelIndex(crop.width, int(firstJ), k)];
        if (source.pixelStep == kBpp) {
            std::memcpy(out, src, spanBytes);
            continue;
        }
        for (std::int64_t j = firstJ; j < endJ; ++j, out += kBpp) {
            const std::uint8_t* p = src + (j - firstJ) * source.pixelStep;
            std::copy_n(p, kBpp, out);
        }
    }
    return crop;
}

void cutOneArea(const SourceImage& source, const ImageArea& area, int index,
                const Alignment& alignment, const CropOptions& options) {
    const AreaBox box = areaBox(area);
    if (!sizeAcceptable(box.width, box.height)) return;
    const std::int64_t sheetPixels = std::int64_t{source.width} * source.height;
    if (std::int64_t{box.width} * box.height > kMaxCropPerSheetPixel * sheetPixels) return;
    const int scaledW = scaledSide(options.scaleRate, box.width);
    const int scaledH = scaledSide(options.scaleRate, box.height);
    if (!sizeAcceptable(scaledW, scaledH)) return;

    const CropImage copied = copyBoxFrom(source, box, alignment.offsetX, alignment.offsetY);
    CropImage crop =
        scaleNearest(straighten(copied, straightenAngle(area, alignment.angle)), options.scaleRate);
    sharpen(crop, options.sharpenRate);
    const JpegImage image{crop.pixels.data(), crop.width, crop.height, kBpp, false};
    saveJpeg(cropFileName(options.imageAreaBasePath, index), image, kCropQuality);
}

}  // namespace

AreaBox areaBox(const ImageArea& area) {
    const auto& c = area.corners;
    const std::int64_t left = std::min(c[0].x, c[3].x);
    const std::int64_t right = std::max(c[1].x, c[2].x);
    const std::int64_t top = std::min(c[0].y, c[1].y);
    const std::int64_t bottom = std::max(c[2].y, c[3].y);
    return AreaBox{int(left), int(top), clampToInt(right - left), clampToInt(bottom - top)};
}

double straightenAngle(const ImageArea& area, double sheetAngle) {
    const double dy = double(area.corners[1].y) - double(area.corners[0].y);
    const double dx = double(area.corners[1].x) - double(area.corners[0].x);
    const double phi = std::atan2(dy, dx) + sheetAngle;
    return std::isfinite(phi) ? phi : 0.0;
}

CropImage copyBox(const Raster& topDown, const AreaBox& box, int dx, int dy) {
    return copyBoxFrom(topDownSource(topDown), box, dx, dy);
}

CropImage straighten(const CropImage& crop, double phi) {
    if (!wellFormed(crop) || !std::isfinite(phi)) return CropImage{};
    const int w = crop.width;
    const int h = crop.height;
    CropImage out = whiteCrop(w, h);
    const std::int64_t cf = std::int64_t(std::cos(phi) * double(kFixedOne));
    const std::int64_t sf = std::int64_t(std::sin(phi) * double(kFixedOne));
    const int cx = w / 2;
    const int cy = h / 2;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::int64_t fixedX = cf * (x - cx) - sf * (y - cy) + cx * kFixedOne;
            const std::int64_t fixedY = sf * (x - cx) + cf * (y - cy) + cy * kFixedOne;
            const std::int64_t ix = fixedX >> kFixedShift;
            const std::int64_t iy = fixedY >> kFixedShift;
            if (ix < 0 || ix >= w - 1 || iy < 0 || iy >= h - 1) continue;
            const int fx = int((fixedX & kFixedMask) / kFractionDivisor);
            const int fy = int((fixedY & kFixedMask) / kFractionDivisor);
            interpolatePixel(crop, int(ix), int(iy), fx, fy, &out.pixels[pixelIndex(w, x, y)]);
        }
    }
    return out;
}

CropImage scaleNearest(const CropImage& crop, double rate) {
    if (!wellFormed(crop)) return CropImage{};
    if (rate == 1.0) return crop;
    const int w2 = scaledSide(rate, crop.width);
    const int h2 = scaledSide(rate, crop.height);
    if (w2 <= 0 || h2 <= 0) return CropImage{};
    CropImage out = whiteCrop(w2, h2);
    for (int k = 0; k < h2; ++k) {
        const auto sy = int(std::int64_t{k} * crop.height / h2);
        for (int j = 0; j < w2; ++j) {
            const auto sx = int(std::int64_t{j} * crop.width / w2);
            std::memcpy(&out.pixels[pixelIndex(w2, j, k)],
                        &crop.pixels[pixelIndex(crop.width, sx, sy)], kBpp);
        }
    }
    return out;
}

void sharpen(CropImage& crop, int rate) {
    if (rate == 0 || crop.pixels.empty() || !wellFormed(crop)) return;
    const std::vector<std::uint8_t> mean = blurred(crop);
    for (std::size_t i = 0; i < crop.pixels.size(); ++i) {
        const std::int64_t v = crop.pixels[i];
        const std::int64_t diff = v - mean[i];
        const std::int64_t sharpened = v + std::int64_t{rate} * diff / kSharpenDivisor;
        crop.pixels[i] = std::uint8_t(std::clamp<std::int64_t>(sharpened, 0, 255));
    }
}

std::string cropFileName(const std::string& basePath, int index) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "_%03d.jpg", index);
    return basePath + suffix;
}

namespace {

void cutAreasFrom(const SourceImage& source, const std::vector<ImageArea>& areas,
                  const Alignment& alignment, const CropOptions& options) {
    if (options.imageAreaBasePath.empty()) return;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        try {
            cutOneArea(source, areas[i], int(i), alignment, options);
        } catch (const std::bad_alloc&) {
            // Memory ran out for this crop only; the next areas still get their turn.
        }
    }
}

}  // namespace

void cutImageAreas(const Raster& topDown, const std::vector<ImageArea>& areas,
                   const Alignment& alignment, const CropOptions& options) {
    cutAreasFrom(topDownSource(topDown), areas, alignment, options);
}

void cutImageAreas(const RasterView& image, const std::vector<ImageArea>& areas,
                   const Alignment& alignment, const CropOptions& options) {
    cutAreasFrom(viewSource(image), areas, alignment, options);
}

bool saveDiagnosticImage(const Raster& raster, bool rowsTopDown, const std::string& path) {
    if (raster.empty()) return false;
    const JpegImage image{raster.data(), raster.width(), raster.height(), kBpp, !rowsTopDown};
    return saveJpeg(path, image, kDiagnosticQuality);
}

}  // namespace strovik
