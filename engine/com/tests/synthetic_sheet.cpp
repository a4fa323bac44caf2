#include "synthetic_sheet.h"

#include <cstdint>
#include <fstream>

namespace strovik::testing {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr int kZeroRadius = 10;
constexpr int kZeroMarks[3][2] = {{60, 240}, {340, 240}, {60, 60}};
constexpr int kOvalWidth = 16;
constexpr int kOvalHeight = 20;
constexpr int kChoiceX[3] = {150, 200, 250};
constexpr int kQuestionY[2] = {110, 170};
constexpr int kFilledChoice[2] = {1, 2};  // 0-based
constexpr std::uint8_t kWhite = 255;

class Canvas {
public:
    Canvas() : pixels_(std::size_t(kWidth) * kHeight, kWhite) {}

    /// Blackens every pixel inside the ellipse (a little beyond the oval).
    void fillEllipse(int cx, int cy, int rx, int ry) {
        for (int y = cy - ry; y <= cy + ry; ++y) {
            for (int x = cx - rx; x <= cx + rx; ++x) {
                const double u = double(x - cx) / rx;
                const double v = double(y - cy) / ry;
                if (u * u + v * v <= 1.0 && x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
                    pixels_[std::size_t(y) * kWidth + std::size_t(x)] = 0;
                }
            }
        }
    }

    /// 24-bit bottom-up BMP; rows of 1200 bytes need no padding.
    void saveBmp(const std::filesystem::path& path) const {
        const std::uint32_t rowBytes = kWidth * 3;
        const std::uint32_t dataBytes = rowBytes * kHeight;
        std::string out;
        auto u16 = [&](std::uint32_t v) {
            out += char(v & 0xFF);
            out += char((v >> 8) & 0xFF);
        };
        auto u32 = [&](std::uint32_t v) {
            u16(v & 0xFFFF);
            u16(v >> 16);
        };
        out += "BM";
        u32(54 + dataBytes);
        u32(0);
        u32(54);
        u32(40);
        u32(kWidth);
        u32(kHeight);
        u16(1);
        u16(24);
        u32(0);
        u32(dataBytes);
        u32(2835);
        u32(2835);
        u32(0);
        u32(0);
        for (int y = kHeight - 1; y >= 0; --y) {
            for (int x = 0; x < kWidth; ++x) {
                const char c = char(pixels_[std::size_t(y) * kWidth + std::size_t(x)]);
                out.append(3, c);
            }
        }
        std::ofstream(path, std::ios::binary) << out;
    }

private:
    std::vector<std::uint8_t> pixels_;
};

}  // namespace

void writeDefinition(const std::filesystem::path& path, int imageAreas, const std::string& multi) {
    std::ofstream out(path, std::ios::binary);
    out << "[ZEROMARK]\r\nZEROMARK_RADIUS=" << kZeroRadius << "\r\n";
    for (int i = 0; i < 3; ++i) {
        out << "ZEROMARK" << i + 1 << "_X=" << kZeroMarks[i][0] << "\r\n";
        out << "ZEROMARK" << i + 1 << "_Y=" << kZeroMarks[i][1] << "\r\n";
    }
    out << "ZEROMARK_COLOR_MIN=150\r\nZEROMARK_RATE=0.500000\r\n\r\n";
    out << "[MARK]\r\nOVALMARK_WIDTH=" << kOvalWidth << "\r\nOVALMARK_HEIGHT=" << kOvalHeight
        << "\r\nOVALMARK_COLOR_MIN=100\r\nOVALMARK_COLOR_MAX=200\r\n";
    int n = 0;
    for (int q = 0; q < 2; ++q) {
        for (int c = 0; c < 3; ++c) {
            out << "MARK" << n++ << "=" << q << "," << c << "," << kChoiceX[c] << ","
                << kQuestionY[q] << "\r\n";
        }
    }
    out << "\r\n[IMAGEAREA]\r\n";
    for (int i = 0; i < imageAreas; ++i) {
        const int x = 100 + 20 * i;
        out << "IMAGEAREA" << i << "=" << x << ",20," << x + 10 << ",20," << x + 10 << ",40," << x
            << ",40\r\n";
    }
    out << "\r\n[MULTI]\r\nQUESTIONS=" << multi << "\r\n\r\n[SYSTEM]\r\nDPI_X=-1\r\nDPI_Y=-1\r\n"
        << "DEBUG=\r\n";
}

SyntheticSheet writeSyntheticSheet(const std::filesystem::path& folder, int imageAreas) {
    Canvas canvas;
    for (const auto& z : kZeroMarks) canvas.fillEllipse(z[0], z[1], kZeroRadius, kZeroRadius);
    for (int q = 0; q < 2; ++q) {
        canvas.fillEllipse(kChoiceX[kFilledChoice[q]], kQuestionY[q], kOvalWidth / 2 + 1,
                           kOvalHeight / 2 + 1);
    }
    SyntheticSheet sheet;
    sheet.image = folder / "sheet.bmp";
    sheet.definition = folder / "sheet.ini";
    canvas.saveBmp(sheet.image);
    writeDefinition(sheet.definition, imageAreas);
    sheet.questions = 2;
    sheet.choices = 3;
    sheet.expectedAnswers = "2,3";
    sheet.expectedReliability = "999.0,999.0";
    return sheet;
}

}  // namespace strovik::testing
