// What a scanner does to a sheet, applied to a grey canvas in place.
#pragma once

#include "tools/sheetgen/grey_canvas.h"

namespace sheetgen {

/// Turns the canvas by `angleRad` about its centre (bilinear, white where
/// nothing maps) and then moves it by (shiftX, shiftY) pixels.
void turnAndShift(GreyCanvas& canvas, double angleRad, int shiftX, int shiftY);

/// Turns the canvas by 180 degrees.
void turnHalf(GreyCanvas& canvas);

/// Separable gaussian blur whose kernel reaches `radius` pixels.
void blur(GreyCanvas& canvas, double radius);

/// Adds gaussian noise with standard deviation `sigma`, clamped to 0..255.
void addNoise(GreyCanvas& canvas, double sigma, RandomSource& rng);

}  // namespace sheetgen
