// The classic 16-colour palette, addressed by index, for cell backgrounds.
#pragma once

#include <cstdint>

namespace tarrow {

enum class PaletteColour : std::uint8_t {
    Grey = 8,           ///< 128,128,128: single-answer question with several marks
    LightGreen = 10,    ///< 0,255,0: multi-answer choice near the dot threshold
    LightCyan = 11,     ///< 0,255,255: faint mark
    LightRed = 12,      ///< 255,0,0: no mark, failed sheet
    LightMagenta = 13,  ///< 255,0,255: wrong answer
    LightYellow = 14,   ///< 255,255,0: right answer
    White = 15,         ///< 255,255,255: normal
};

struct Rgb {
    std::uint8_t r, g, b;
};

/// RGB of any of the 16 palette entries (0..15).
Rgb paletteRgb(int index);

}  // namespace tarrow
