#include "editor/ui/raster_image.h"

#include <memory>

namespace dravel {
namespace {

void deleteRaster(void* raster) {
    delete static_cast<strovik::Raster*>(raster);
}

}  // namespace

QImage toQImage(strovik::Raster raster) {
    if (raster.empty()) return QImage();
    strovik::flipVertical(raster);
    auto owned = std::make_unique<strovik::Raster>(std::move(raster));
    uchar* pixels = owned->data();
    const int width = owned->width();
    const int height = owned->height();
    const qsizetype stride = qsizetype(owned->rowBytes());
    QImage image(pixels, width, height, stride, QImage::Format_BGR888, deleteRaster, owned.get());
    if (image.isNull()) return QImage();
    owned.release();
    return image;
}

}  // namespace dravel
