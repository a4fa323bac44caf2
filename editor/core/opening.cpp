#include "editor/core/opening.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <filesystem>
#include <system_error>

#include "editor/core/editor_state.h"
#include "engine/image/image_density.h"
#include "engine/image/image_loader.h"

namespace dravel {
namespace {

constexpr int kMinScaledDpi = 72;

struct Extension {
    const char* suffix;
    FileKind kind;
};

constexpr std::array<Extension, 9> kExtensions{{
    {".jpg", FileKind::Image},
    {".jpeg", FileKind::Image},
    {".bmp", FileKind::Image},
    {".gif", FileKind::Image},
    {".tif", FileKind::Image},
    {".tiff", FileKind::Image},
    {".png", FileKind::Image},
    {".ini", FileKind::Definition},
    {".pdf", FileKind::Pdf},
}};

}  // namespace

FileKind fileKindOf(const QString& path) {
    for (const Extension& e : kExtensions) {
        if (path.endsWith(QLatin1String(e.suffix), Qt::CaseInsensitive)) return e.kind;
    }
    return FileKind::Other;
}

std::optional<DecodedScan> decodeScan(const QString& path, std::string* error) {
    const std::string name = QFile::encodeName(path).toStdString();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(name, ec)) {
        if (error != nullptr) *error = name + ": not a readable file";
        return std::nullopt;
    }
    std::optional<strovik::Raster> raster = strovik::loadImageFile(name, error);
    if (!raster) return std::nullopt;
    return DecodedScan{std::move(*raster), strovik::readImageDensity(name)};
}

std::optional<SheetSizes> sizesForDensity(strovik::Density d) {
    if (d.x < kMinScaledDpi || d.y < kMinScaledDpi) return std::nullopt;
    return SheetSizes{d.x * kDefaultOvalWidth / kReferenceDpi,
                      d.y * kDefaultOvalHeight / kReferenceDpi,
                      (d.x / 2 + d.y / 2) * kDefaultZeroRadius / kReferenceDpi};
}

}  // namespace dravel
