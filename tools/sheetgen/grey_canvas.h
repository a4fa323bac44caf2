// One-channel drawing surface for the sheet before it becomes BGR, with the
// few shapes a printed and pencil-marked answer sheet needs.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sheetgen/random_source.h"

namespace sheetgen {

/// Grey pixels, top-down rows, 0 = black, 255 = white.
struct GreyCanvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> px;

    GreyCanvas(int w, int h, std::uint8_t fill)
        : width(w), height(h), px(static_cast<std::size_t>(w) * h, fill) {}

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    /// Darkens (never lightens) the pixel; positions outside are ignored.
    void darken(int x, int y, int value);
};

/// Solid disc of `radius` around (cx, cy).
void drawDisc(GreyCanvas& canvas, int cx, int cy, int radius, int value);

/// Printed oval outline of the given full size and line thickness.
void drawOvalRing(GreyCanvas& canvas, int cx, int cy, int width, int height, int thickness,
                  int value);

/// How a pencil mark fills an oval.
struct Shading {
    int valueLo = 0;       ///< darkest pixel value
    int valueHi = 0;       ///< lightest pixel value
    double scaleLo = 1.0;  ///< smallest share of the oval's half axes covered
    double scaleHi = 1.0;  ///< largest share
};

/// Pencil shading of an oval: a smaller, slightly irregular ellipse whose
/// pixels vary within the shading's values.
void shadeOval(GreyCanvas& canvas, int cx, int cy, int width, int height, const Shading& shading,
               RandomSource& rng);

/// Axis-aligned rectangle outline.
void drawFrame(GreyCanvas& canvas, int x, int y, int width, int height, int thickness, int value);

/// Handwriting-like strokes filling the given box.
void scribble(GreyCanvas& canvas, int x, int y, int width, int height, int penRadius,
              RandomSource& rng);

}  // namespace sheetgen
