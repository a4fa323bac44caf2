#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

// A small sheet keeps the tests quick; shapes scale with the dpi anyway.
Layout smallLayout(int dpi = 150) {
    LayoutParams p;
    p.dpi = dpi;
    p.questions = 6;
    p.choices = 4;
    p.imageAreas = 1;
    return makeLayout(p);
}

int blue(const Image& img, int x, int y) {
    return img.bgr[(static_cast<std::size_t>(y) * img.width + x) * 3];
}

// Mean blue value over the oval's ellipse, and the share of pixels below `dark`.
struct OvalStats {
    double mean = 0;
    double darkShare = 0;
    int darkest = 255;
};

OvalStats ovalStats(const Image& img, const Layout& l, Pt c, int dark) {
    const double a = l.ovalWidth / 2.0;
    const double b = l.ovalHeight / 2.0;
    double sum = 0;
    int n = 0, below = 0, darkest = 255;
    for (int v = -l.ovalHeight / 2; v < l.ovalHeight / 2; ++v) {
        for (int u = -l.ovalWidth / 2; u < l.ovalWidth / 2; ++u) {
            if ((u / a) * (u / a) + (v / b) * (v / b) > 1.0) continue;
            const int value = blue(img, c.x + u, c.y + v);
            sum += value;
            ++n;
            below += value < dark;
            darkest = std::min(darkest, value);
        }
    }
    return {sum / n, static_cast<double>(below) / n, darkest};
}

Answers blankAnswers(const Layout& l) {
    Answers a;
    for (const auto& q : l.ovals) a.emplace_back(q.size(), Mark::Blank);
    return a;
}

TEST(RenderingTest, SameSeedSameImageAndOtherSeedOtherNoise) {
    const Layout l = smallLayout();
    const Answers answers = randomAnswers(l, 5);
    Distortion d;
    d.noise = 3.0;
    d.angleRad = 0.003;
    const Image first = renderSheet(l, answers, d, 42);
    const Image again = renderSheet(l, answers, d, 42);
    const Image other = renderSheet(l, answers, d, 43);
    ASSERT_EQ(first.width, l.widthPx);
    ASSERT_EQ(first.height, l.heightPx);
    ASSERT_EQ(first.bgr.size(), static_cast<std::size_t>(l.widthPx) * l.heightPx * 3);
    EXPECT_EQ(first.bgr, again.bgr);
    EXPECT_NE(first.bgr, other.bgr);
}

TEST(RenderingTest, ZeroMarksAreDarkDiscsOnLightGreyPaper) {
    const Layout l = smallLayout();
    const Image img = renderSheet(l, blankAnswers(l), {}, 1);
    for (const Pt& z : l.zero) {
        EXPECT_LT(blue(img, z.x, z.y), 40);
        EXPECT_LT(blue(img, z.x + l.zeroRadius - 1, z.y), 40);
        EXPECT_GE(blue(img, z.x + l.zeroRadius + 2, z.y), 245);
    }
    EXPECT_GE(blue(img, 5, 5), 245);
    EXPECT_GE(blue(img, l.widthPx / 2, l.heightPx - 5), 245);
    for (std::size_t i = 0; i < img.bgr.size(); i += 3) {
        ASSERT_EQ(img.bgr[i], img.bgr[i + 1]);
        ASSERT_EQ(img.bgr[i], img.bgr[i + 2]);
    }
}

TEST(RenderingTest, MarksDifferInBlueAsTheReaderExpects) {
    const Layout l = smallLayout(300);
    Answers answers = blankAnswers(l);
    answers[0][1] = Mark::Filled;
    answers[0][2] = Mark::Faint;
    const Image img = renderSheet(l, answers, {}, 9);
    const OvalStats blank = ovalStats(img, l, l.ovals[0][0], 100);
    const OvalStats filled = ovalStats(img, l, l.ovals[0][1], 100);
    const OvalStats faint = ovalStats(img, l, l.ovals[0][2], 180);

    EXPECT_LT(filled.mean + 100, blank.mean);
    EXPECT_GT(filled.darkShare, 0.80);
    EXPECT_LT(filled.darkShare, 0.97);
    EXPECT_EQ(blank.darkShare, 0.0) << "the outline alone is not dark at threshold 100";
    EXPECT_LT(blank.darkest, 140) << "the printed outline is visible";
    EXPECT_GE(ovalStats(img, l, l.ovals[0][0], 250).darkShare, 0.05);
    EXPECT_LT(faint.mean, blank.mean);
    // Light shading never reaches the darkest thresholds the reader uses.
    EXPECT_LE(faint.darkShare, ovalStats(img, l, l.ovals[0][0], 180).darkShare);
    EXPECT_GE(blue(img, l.ovals[0][0].x, l.ovals[0][0].y), 245) << "blank oval is empty inside";
}

TEST(RenderingTest, FaintMarksStayLightEvenOnATurnedScan) {
    // Resampling blends a shading that touches the outline into extra dark
    // pixels; the reader would then take a faint oval for a mark.
    const Layout l = smallLayout(200);
    Answers answers = blankAnswers(l);
    for (auto& q : answers) q[1] = Mark::Faint;
    Distortion d;
    d.angleRad = 0.4 * std::numbers::pi / 180.0;
    d.noise = 2.0;
    const Image img = renderSheet(l, answers, d, 4);
    // The reader's alignment may place its sampling ellipse a pixel off the
    // printed oval; the faint one must still count no more dark pixels at the
    // lightest threshold than its blank neighbour.
    for (std::size_t q = 0; q < l.ovals.size(); ++q) {
        for (const Pt off : {Pt{0, 0}, Pt{1, 1}, Pt{-1, 1}}) {
            const Pt b = l.ovals[q][0];
            const Pt f = l.ovals[q][1];
            const double blank = ovalStats(img, l, {b.x + off.x, b.y + off.y}, 180).darkShare;
            const double faint = ovalStats(img, l, {f.x + off.x, f.y + off.y}, 180).darkShare;
            EXPECT_LE(faint, blank * 1.1) << "question " << q << " offset " << off.x;
        }
    }
}

TEST(RenderingTest, ImageAreaGetsFrameAndWriting) {
    const Layout l = smallLayout();
    const Image img = renderSheet(l, blankAnswers(l), {}, 3);
    const AreaRect& a = l.areas.at(0);
    EXPECT_LT(blue(img, a.x + a.width / 2, a.y), 100);
    EXPECT_LT(blue(img, a.x, a.y + a.height / 2), 100);
    int inked = 0;
    for (int y = a.y + 4; y < a.y + a.height - 4; ++y) {
        for (int x = a.x + 4; x < a.x + a.width - 4; ++x) inked += blue(img, x, y) < 100;
    }
    EXPECT_GT(inked, 100);
}

TEST(RenderingTest, ShiftMovesEverythingAndFillsWithWhite) {
    const Layout l = smallLayout();
    Distortion d;
    d.shiftX = 25;
    d.shiftY = -12;
    const Image img = renderSheet(l, blankAnswers(l), d, 1);
    const Pt z = l.zero[0];
    EXPECT_LT(blue(img, z.x + 25, z.y - 12), 40);
    EXPECT_GE(blue(img, z.x, z.y), 245);
    EXPECT_GE(blue(img, 0, l.heightPx - 1), 245);
}

TEST(RenderingTest, UpsideDownPutsZeroMarkOneAtTheTurnedPosition) {
    const Layout l = smallLayout();
    Distortion d;
    d.upsideDown = true;
    const Image img = renderSheet(l, blankAnswers(l), d, 1);
    const Pt z = l.zero[0];
    EXPECT_LT(blue(img, l.widthPx - 1 - z.x, l.heightPx - 1 - z.y), 40);
    EXPECT_GE(blue(img, z.x, z.y), 245) << "nothing printed at the top-right corner";
}

TEST(RenderingTest, TurnRotatesAboutTheSheetCentre) {
    const Layout l = smallLayout();
    const double angle = 0.4 * std::numbers::pi / 180.0;
    Distortion d;
    d.angleRad = angle;
    const Image img = renderSheet(l, blankAnswers(l), d, 1);
    // Centroid of the dark pixels around zero mark 2 against the turned position.
    const Pt z = l.zero[1];
    const double cx = (l.widthPx - 1) / 2.0, cy = (l.heightPx - 1) / 2.0;
    const double ex = cx + std::cos(angle) * (z.x - cx) - std::sin(angle) * (z.y - cy);
    const double ey = cy + std::sin(angle) * (z.x - cx) + std::cos(angle) * (z.y - cy);
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = z.y - 30; y <= z.y + 30; ++y) {
        for (int x = z.x - 30; x <= z.x + 30; ++x) {
            if (blue(img, x, y) < 128) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    ASSERT_GT(n, 0);
    EXPECT_GT(std::abs(ey - z.y), 2.0) << "the angle is large enough to move the mark";
    EXPECT_NEAR(sx / n, ex, 0.7);
    EXPECT_NEAR(sy / n, ey, 0.7);
}

TEST(RenderingTest, NoiseHasTheRequestedSpreadAndBlurSoftensEdges) {
    const Layout l = smallLayout();
    Answers allFilled = blankAnswers(l);
    for (auto& q : allFilled) std::fill(q.begin(), q.end(), Mark::Filled);
    Distortion noisy;
    noisy.noise = 4.0;
    // Same seed: the drawing is identical, so the difference is the noise alone.
    const Image img = renderSheet(l, allFilled, noisy, 1);
    const Image clean = renderSheet(l, allFilled, {}, 1);
    double sum = 0, squares = 0;
    int n = 0;
    for (std::size_t i = 0; i < img.bgr.size(); i += 3) {
        if (clean.bgr[i] > 200) continue;  // keep away from clamping at white
        const double diff = static_cast<double>(img.bgr[i]) - clean.bgr[i];
        sum += diff;
        squares += diff * diff;
        ++n;
    }
    ASSERT_GT(n, 1000);
    EXPECT_NEAR(sum / n, 0.0, 0.3);
    EXPECT_NEAR(std::sqrt(squares / n), 4.0, 0.3);

    Distortion soft;
    soft.blur = 2.0;
    const Image blurred = renderSheet(l, blankAnswers(l), soft, 1);
    const Image sharp = renderSheet(l, blankAnswers(l), {}, 1);
    const Pt z = l.zero[0];
    const int edge = z.x + l.zeroRadius + 1;
    EXPECT_LT(blue(blurred, edge, z.y), blue(sharp, edge, z.y));
    EXPECT_GT(blue(blurred, edge - 2, z.y), blue(sharp, edge - 2, z.y));
    EXPECT_LT(blue(blurred, z.x, z.y), 40) << "the disc's middle stays dark";
}

}  // namespace
}  // namespace sheetgen
