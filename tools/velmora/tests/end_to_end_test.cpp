// The built velmora binary on generated sheets: answers against the ground
// truth, bad files in a batch, -j, crops and diagnostic images, exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tools/sheetgen/sheet_generator.h"
#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;
using Args = std::vector<std::string>;

struct BinaryRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

BinaryRun runVelmoraBinary(const Args& args, const std::string& scratch) {
    std::string cmd = quoted(VELMORA_CLI_PATH);
    for (const std::string& a : args) cmd += " " + quoted(a);
    const std::string errPath = scratch + "/stderr.txt";
    cmd += " 2>" + quoted(errPath);
    BinaryRun r;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = slurp(errPath);
    return r;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

/// The integers of `"key": [..]` in one output line; nullopt when absent.
std::optional<std::vector<int>> intArray(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\": [";
    const std::size_t start = line.find(marker);
    if (start == std::string::npos) return std::nullopt;
    const std::size_t end = line.find(']', start);
    if (end == std::string::npos) return std::nullopt;
    std::vector<int> values;
    std::istringstream in(line.substr(start + marker.size(), end - start - marker.size()));
    for (std::string field; std::getline(in, field, ',');) values.push_back(std::stoi(field));
    return values;
}

/// The numbers of `"key": [..]` in one output line.
std::vector<double> realArray(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\": [";
    const std::size_t start = line.find(marker);
    const std::size_t end = line.find(']', start);
    std::vector<double> values;
    if (start == std::string::npos || end == std::string::npos) return values;
    std::istringstream in(line.substr(start + marker.size(), end - start - marker.size()));
    for (std::string field; std::getline(in, field, ',');) values.push_back(std::stod(field));
    return values;
}

/// The read sets the engine's no-mark minimum to 0, as the reading
/// application does, so every question with any separation gets an answer
/// and the reader of the results applies the threshold. With the engine's
/// default no-mark minimum a question is answered only when its reliability
/// is above it; the ground truth describes that.
std::vector<int> answersAtDefaultThreshold(const std::string& line) {
    constexpr double kDefaultNoMarkMin = 2.0;
    std::vector<int> answers = intArray(line, "answers").value_or(std::vector<int>{});
    const std::vector<double> reliability = realArray(line, "reliability");
    if (reliability.size() != answers.size()) return {};
    for (std::size_t q = 0; q < answers.size(); ++q) {
        if (!(reliability[q] > kDefaultNoMarkMin)) answers[q] = -1;
    }
    return answers;
}

int intField(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\": ";
    const std::size_t start = line.find(marker);
    return start == std::string::npos ? -9999 : std::stoi(line.substr(start + marker.size()));
}

/// A folder of generated JPEG sheets with their definition and ground truth.
class GeneratedBatch : public ::testing::Test {
protected:
    static constexpr int kDpi = 200;
    static constexpr int kMultiQuestion = 5;

    void generate(int count, int imageAreas = 0, bool lastUpsideDown = false) {
        ASSERT_FALSE(tmp.path().empty());
        sheetgen::LayoutParams params;
        params.dpi = kDpi;
        params.questions = 12;
        params.choices = 4;
        params.imageAreas = imageAreas;
        params.multiQuestions = {kMultiQuestion};
        layout = sheetgen::makeLayout(params);
        definitionText = sheetgen::definitionText(layout);
        def = tmp.file("sheet.ini");
        restoreDefinition();
        fs::create_directory(tmp.file("imgs"));
        for (int i = 0; i < count; ++i) addSheet(i, lastUpsideDown && i == count - 1);
    }

    void addSheet(int i, bool upsideDown) {
        const auto answers = sheetgen::randomAnswers(layout, 100u + std::uint32_t(i));
        sheetgen::Distortion d;
        d.shiftX = 3 * i;
        d.shiftY = -2 * i;
        d.upsideDown = upsideDown;
        const auto image = sheetgen::renderSheet(layout, answers, d, 7u + std::uint32_t(i));
        const std::string path = tmp.file("imgs/sheet" + std::to_string(i) + ".jpg");
        std::string error;
        ASSERT_TRUE(sheetgen::saveImage(path, image, sheetgen::Format::Jpeg, kDpi, 90, &error))
            << error;
        images.push_back(path);
        truth.push_back(sheetgen::groundTruth(layout, answers).answers);
    }

    /// The engine writes the definition back after each read; put the
    /// original back so that separate invocations start from the same file.
    void restoreDefinition() { writeFile(def, definitionText); }

    BinaryRun velmora(Args args) {
        args.insert(args.begin(), "read");
        return runVelmoraBinary(args, tmp.path());
    }

    TempDir tmp;
    sheetgen::Layout layout;
    std::string definitionText;
    std::string def;
    std::vector<std::string> images;
    std::vector<std::vector<int>> truth;
};

TEST_F(GeneratedBatch, FolderReadMatchesGroundTruth) {
    generate(3);
    const BinaryRun r = velmora({"-d", def, tmp.file("imgs/")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 3u) << r.out;
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_TRUE(out[i].starts_with("{\"image\": \"" + images[i] + "\", \"status\": 0, "))
            << out[i];
        EXPECT_EQ(answersAtDefaultThreshold(out[i]), truth[i]) << out[i];
        EXPECT_EQ(intArray(out[i], "marked").value_or(std::vector<int>{}).size(), truth[i].size());
        EXPECT_EQ(intField(out[i], "rotated"), 0);
        // The multi-answer question has its dot counts, one per choice.
        const auto dots = intArray(out[i], "dots\": {\"5");
        ASSERT_TRUE(dots.has_value()) << out[i];
        EXPECT_EQ(dots->size(), 4u);
        EXPECT_EQ(realArray(out[i], "reliability").at(kMultiQuestion), 0.0);
    }
}

TEST_F(GeneratedBatch, UpsideDownSheetIsReadAndFlagged) {
    generate(2, 0, true);
    const BinaryRun r = velmora({"-d", def, images[1]});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 1u) << r.out;
    EXPECT_EQ(answersAtDefaultThreshold(out[0]), truth[1]) << out[0];
    EXPECT_EQ(intField(out[0], "rotated"), 1);
}

TEST_F(GeneratedBatch, MissingAndNonImageFilesAreStatusLines) {
    generate(2);
    writeFile(tmp.file("imgs/notes.txt"), "not an image\n");
    const std::string missing = tmp.file("missing.jpg");
    const BinaryRun r = velmora({"-d", def, missing, tmp.file("imgs")});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 4u) << r.out;
    EXPECT_EQ(out[0], "{\"image\": \"" + missing + "\", \"status\": -2}");
    EXPECT_EQ(out[1], "{\"image\": \"" + tmp.file("imgs/notes.txt") + "\", \"status\": -2}");
    EXPECT_EQ(answersAtDefaultThreshold(out[2]), truth[0]) << out[2];
    EXPECT_EQ(answersAtDefaultThreshold(out[3]), truth[1]) << out[3];
}

TEST_F(GeneratedBatch, TwoWorkersPrintExactlyWhatOneDoes) {
    generate(5);
    writeFile(tmp.file("imgs/broken.jpg"), "\xff\xd8 truncated");
    const BinaryRun one = velmora({"-d", def, tmp.file("imgs")});
    restoreDefinition();
    const BinaryRun two = velmora({"-j", "2", "-d", def, tmp.file("imgs")});
    EXPECT_EQ(one.status, 1) << one.err;
    EXPECT_EQ(two.status, 1) << two.err;
    EXPECT_TRUE(one.err.empty() && two.err.empty()) << one.err << two.err;
    EXPECT_EQ(lines(one.out).size(), 6u);
    EXPECT_EQ(two.out, one.out);
    // The definition survives concurrent write-backs as a complete file.
    EXPECT_NE(slurp(def).find("[MARK]"), std::string::npos);
}

/// The texts of `"key": ["..", ..]` (no escapes inside) in one output line.
std::vector<std::string> stringArray(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\": [";
    const std::size_t start = line.find(marker);
    const std::size_t end = line.find(']', start);
    std::vector<std::string> texts;
    if (start == std::string::npos || end == std::string::npos) return texts;
    std::size_t at = start + marker.size();
    while (at < end) {
        const std::size_t open = line.find('"', at);
        const std::size_t close = line.find('"', open + 1);
        if (open >= end || close >= end) break;
        texts.push_back(line.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return texts;
}

TEST_F(GeneratedBatch, JsonValuesAreTheReadValuesRowsUnderTheSameSettings) {
    generate(4);
    // A raised no-mark threshold and a narrow dot band change some values
    // from the engine's answers; both forms must show the same.
    const Args settings{"--nomark",      "40", "--faint", "60", "--multi-value", "120",
                        "--multi-range", "90", "--ten"};
    Args json{"-d", def};
    json.insert(json.end(), settings.begin(), settings.end());
    json.push_back(tmp.file("imgs"));
    const BinaryRun r = velmora(json);
    ASSERT_EQ(r.status, 0) << r.err;
    restoreDefinition();
    Args batch{"-d", def, "-o", tmp.file("res.csv")};
    batch.insert(batch.end(), settings.begin(), settings.end());
    batch.push_back(tmp.file("imgs"));
    const BinaryRun saved = velmora(batch);
    ASSERT_EQ(saved.status, 0) << saved.err;

    const std::string csv = slurp(tmp.file("res-読取値.csv"));
    std::vector<std::string> rows;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = std::min(csv.find("\r\n", at), csv.size());
        rows.push_back(csv.substr(at, end - at));
        at = end + 2;
    }
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 4u);
    ASSERT_EQ(rows.size(), 3u + out.size());
    bool anyDiffers = false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::vector<std::string> values = stringArray(out[i], "values");
        std::string row = fs::path(images[i]).filename().string();
        for (const std::string& v : values) row += "," + v;
        EXPECT_EQ(rows[3 + i], row) << out[i];
        const std::vector<std::string> review = stringArray(out[i], "review");
        EXPECT_EQ(review.size(), values.size());
        const auto answers = intArray(out[i], "answers").value_or(std::vector<int>{});
        for (std::size_t q = 0; q < values.size() && q < answers.size(); ++q) {
            if (int(q) != kMultiQuestion && values[q] != std::to_string(answers[q])) {
                anyDiffers = true;
                EXPECT_EQ(review[q], "nomark") << out[i];
            }
        }
    }
    EXPECT_TRUE(anyDiffers) << "the settings changed no value: the check proves nothing";
}

TEST_F(GeneratedBatch, CropsAndDiagnosticImagesAreWritten) {
    generate(1, 2);
    fs::create_directory(tmp.file("crops"));
    fs::create_directory(tmp.file("dbg"));
    const BinaryRun r =
        velmora({"-d", def, "--crops", tmp.file("crops"), "--debug", tmp.file("dbg"), images[0]});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    for (const std::string& file :
         {tmp.file("crops/sheet0_000.jpg"), tmp.file("crops/sheet0_001.jpg"),
          tmp.file("dbg/debug-sheet0.jpg")}) {
        EXPECT_TRUE(slurp(file).starts_with("\xff\xd8")) << file << " is missing or no JPEG";
    }
}

TEST(VelmoraBinary, UsageAndDefinitionErrors) {
    TempDir tmp;
    ASSERT_FALSE(tmp.path().empty());
    const BinaryRun none = runVelmoraBinary({}, tmp.path());
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.out.empty());
    EXPECT_TRUE(none.err.starts_with("velmora: "));

    const BinaryRun help = runVelmoraBinary({"read", "--help"}, tmp.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("usage: velmora read"));

    writeFile(tmp.file("a.jpg"), "x");
    const BinaryRun noDef =
        runVelmoraBinary({"read", "-d", tmp.file("no.ini"), tmp.file("a.jpg")}, tmp.path());
    EXPECT_EQ(noDef.status, 2);
    EXPECT_EQ(noDef.err, "velmora: cannot read definition file: " + tmp.file("no.ini") + "\n");
    EXPECT_TRUE(noDef.out.empty());
}

}  // namespace
}  // namespace velmora::cli
