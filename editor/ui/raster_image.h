// The engine's decoded raster shown as a QImage without a copy.
#pragma once

#include <QImage>

#include "engine/image/raster.h"

namespace dravel {

/// Turns the raster's bottom-up rows top-down in place and wraps its pixels
/// in a QImage (24-bit BGR) that owns them from then on; a decoded sheet is
/// never held twice.
QImage toQImage(strovik::Raster raster);

}  // namespace dravel
