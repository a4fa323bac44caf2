// Synthetic answer sheets for tests, benchmarks and the bundled samples: a
// layout (zero marks, ovals, image areas) at a given dpi, marks filled in as
// asked, the scan's distortions (shift, small turn, upside down, noise,
// blur), and the matching definition file and ground truth.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sheetgen {

struct Pt {
    int x = 0;
    int y = 0;
};

/// What to lay out. Sizes are derived from the dpi so a layout looks the same
/// at every resolution (A4 portrait unless width/height are given).
struct LayoutParams {
    int dpi = 300;
    int questions = 20;
    int choices = 5;
    int columns = 2;                  ///< question blocks side by side
    int imageAreas = 0;               ///< rectangular writing fields
    std::vector<int> multiQuestions;  ///< 0-based questions that accept several marks
    int widthPx = 0;                  ///< 0 = A4 width at dpi
    int heightPx = 0;                 ///< 0 = A4 height at dpi
};

struct AreaRect {
    int x = 0, y = 0, width = 0, height = 0;
};

/// Everything in sheet pixels at `dpi`.
struct Layout {
    int dpi = 300;
    int widthPx = 0;
    int heightPx = 0;
    int zeroRadius = 0;
    Pt zero[3];                          ///< 1: bottom left, 2: bottom right, 3: top left
    int ovalWidth = 0;                   ///< full width
    int ovalHeight = 0;                  ///< full height
    std::vector<std::vector<Pt>> ovals;  ///< [question][choice] centres
    std::vector<int> multiQuestions;
    std::vector<AreaRect> areas;
};

/// Lays out the sheet. When the questions do not fit in `columns` blocks,
/// more blocks are used as long as they fit side by side; check the result
/// with layoutFits().
Layout makeLayout(const LayoutParams& params);

/// True when every oval, zero mark and image area lies at least `marginPx`
/// inside the image, so a scan shifted by up to that much keeps them all.
bool layoutFits(const Layout& layout, int marginPx);

enum class Mark : std::uint8_t {
    Blank,   ///< untouched oval
    Filled,  ///< firmly filled with pencil
    Faint,   ///< lightly shaded, grey; lighter than the reader's darkness thresholds
};

/// [question][choice]
using Answers = std::vector<std::vector<Mark>>;

/// A random filling: mostly one filled choice per question, with some blank,
/// doubled (two filled) and faint questions; multi-answer questions get zero
/// to three filled choices.
Answers randomAnswers(const Layout& layout, std::uint32_t seed);

struct Distortion {
    int shiftX = 0;           ///< pixels, positive = right
    int shiftY = 0;           ///< pixels, positive = down
    double angleRad = 0.0;    ///< small turn about the sheet centre
    bool upsideDown = false;  ///< fed the wrong way round (turned 180 degrees)
    double noise = 0.0;       ///< standard deviation of grey noise, 0..255
    double blur = 0.0;        ///< blur radius in pixels, 0 = sharp
};

/// A rendered scan: top-down BGR rows, 3 bytes a pixel, no padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;
};

Image renderSheet(const Layout& layout, const Answers& answers, const Distortion& distortion,
                  std::uint32_t seed);

enum class Format { Jpeg, Bmp, Gif, Png, Tiff };

/// File name extension without the dot: "jpg", "bmp", "gif", "png", "tif".
const char* formatExtension(Format format);

/// Saves with the resolution recorded (JFIF density for JPEG, pHYs, TIFF
/// tags, BMP pixels per metre). GIF is written as 8-bit grey palette. Returns
/// false with `error` set when the file cannot be written.
bool saveImage(const std::string& path, const Image& image, Format format, int dpi,
               int jpegQuality = 75, std::string* error = nullptr);

/// The definition file text as the editor writes it (CP932, CR LF).
std::string definitionText(const Layout& layout);

/// Expected engine answers: per question the 1-based choice, or -1 when the
/// question is blank, faint-only, doubled or a multi-answer question.
/// A doubled question (two filled choices) has filledCount 2.
struct GroundTruth {
    std::vector<int> answers;
    std::vector<int> filledCount;  ///< filled (not faint) choices per question
};
GroundTruth groundTruth(const Layout& layout, const Answers& answers);

/// Ground truth as JSON: {"answers": [...], "filled": [...], "marks": [["F","B",...],...]}.
std::string groundTruthJson(const Layout& layout, const Answers& answers);

}  // namespace sheetgen
