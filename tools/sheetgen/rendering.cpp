// Draws a filled-in sheet and passes it through the scanner's distortions.
#include <algorithm>
#include <cmath>

#include "tools/sheetgen/distortions.h"
#include "tools/sheetgen/grey_canvas.h"
#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

constexpr std::uint8_t kPaper = 250;
constexpr int kZeroMarkValue = 20;
constexpr int kOutlineValue = 120;
constexpr double kOutlineAt300 = 1.5;
// A firm mark covers 85-95 % of the oval (0.92..0.98 of each half axis).
constexpr Shading kFilled{50, 80, 0.92, 0.98};
// A faint mark stays lighter than every darkness threshold the reader tries
// (the highest is 180) and keeps clear of the printed outline, so that a
// turned scan does not blend the two into extra dark pixels: a faint-only
// question reads as unanswered.
constexpr Shading kFaint{195, 215, 0.72, 0.82};
constexpr int kFrameValue = 60;
constexpr double kFrameAt300 = 2.0;
constexpr double kPenAt300 = 2.0;

int atDpi(double valueAt300, int dpi) {
    return std::max(1, static_cast<int>(std::lround(valueAt300 * dpi / 300.0)));
}

void drawOvals(GreyCanvas& canvas, const Layout& l, const Answers& answers, RandomSource& rng) {
    const int outline = atDpi(kOutlineAt300, l.dpi);
    for (std::size_t q = 0; q < l.ovals.size(); ++q) {
        for (std::size_t c = 0; c < l.ovals[q].size(); ++c) {
            const Pt& o = l.ovals[q][c];
            drawOvalRing(canvas, o.x, o.y, l.ovalWidth, l.ovalHeight, outline, kOutlineValue);
            const Mark m =
                q < answers.size() && c < answers[q].size() ? answers[q][c] : Mark::Blank;
            if (m == Mark::Filled) {
                shadeOval(canvas, o.x, o.y, l.ovalWidth, l.ovalHeight, kFilled, rng);
            } else if (m == Mark::Faint) {
                shadeOval(canvas, o.x, o.y, l.ovalWidth, l.ovalHeight, kFaint, rng);
            }
        }
    }
}

void drawAreas(GreyCanvas& canvas, const Layout& l, RandomSource& rng) {
    const int frame = atDpi(kFrameAt300, l.dpi);
    const int pen = atDpi(kPenAt300, l.dpi);
    for (const AreaRect& a : l.areas) {
        drawFrame(canvas, a.x, a.y, a.width, a.height, frame, kFrameValue);
        scribble(canvas, a.x, a.y, a.width, a.height, pen, rng);
    }
}

Image toBgr(const GreyCanvas& canvas) {
    Image image;
    image.width = canvas.width;
    image.height = canvas.height;
    image.bgr.resize(canvas.px.size() * 3);
    for (std::size_t i = 0; i < canvas.px.size(); ++i) {
        image.bgr[3 * i] = image.bgr[3 * i + 1] = image.bgr[3 * i + 2] = canvas.px[i];
    }
    return image;
}

}  // namespace

Image renderSheet(const Layout& layout, const Answers& answers, const Distortion& distortion,
                  std::uint32_t seed) {
    if (layout.widthPx <= 0 || layout.heightPx <= 0) return {};
    RandomSource rng(seed);
    GreyCanvas canvas(layout.widthPx, layout.heightPx, kPaper);
    for (const Pt& z : layout.zero) drawDisc(canvas, z.x, z.y, layout.zeroRadius, kZeroMarkValue);
    drawOvals(canvas, layout, answers, rng);
    drawAreas(canvas, layout, rng);

    turnAndShift(canvas, distortion.angleRad, distortion.shiftX, distortion.shiftY);
    if (distortion.upsideDown) turnHalf(canvas);
    blur(canvas, distortion.blur);
    addNoise(canvas, distortion.noise, rng);
    return toBgr(canvas);
}

}  // namespace sheetgen
