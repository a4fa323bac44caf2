// The value API against the component: the bundled sample batch read both
// ways must give the same answers, reliabilities, marked counts, dots,
// rotation and offsets, the component's text being made from the values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/profile_file.h"
#include "component_fixture.h"
#include "engine/image/image_loader.h"
#include "engine/recognition/definition_format.h"
#include "engine/recognition/mark_decision.h"
#include "engine/recognition/sheet_reading.h"

namespace strovik::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(VELMORA_SOURCE_DIR) / "samples";

template <typename T>
std::string joined(const std::vector<T>& values, const char* format) {
    std::string text;
    char buffer[64];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, format, values[i]);
        if (i > 0) text += ',';
        text += buffer;
    }
    return text;
}

/// What the component reports after one Run.
struct ComponentReading {
    LONG status = 0;
    std::string answers, reliability, marked, dots;
    LONG rotated = 0, dx = 0, dy = 0, skew = 0;
};

ComponentReading readThroughComponent(IStrova* object, const fs::path& definition,
                                      const fs::path& image) {
    ComponentReading r;
    LONG retval = 0;
    const UniqueBstr ini{std::string_view(definition.string())};
    const UniqueBstr img{std::string_view(image.string())};
    EXPECT_EQ(object->put_IniFilename(ini.get(), &retval), S_OK);
    EXPECT_EQ(object->put_ImageFilename(img.get(), &retval), S_OK);
    EXPECT_EQ(object->Run(&r.status), S_OK);
    BSTR answers = nullptr;
    BSTR reliability = nullptr;
    EXPECT_EQ(object->get_Result(&answers, &reliability, &retval), S_OK);
    r.answers = utf8FromBstr(answers);
    r.reliability = utf8FromBstr(reliability);
    SysFreeString(answers);
    SysFreeString(reliability);
    OptionCall marked;
    putOptions(object, OptionAction::GetMarkedCounts, 0, {}, marked);
    r.marked = utf8FromBstr(marked.retValueStr.get());
    OptionCall dots;
    putOptions(object, OptionAction::GetMultiDotsPerQuestion, 0, {}, dots);
    r.dots = utf8FromBstr(dots.retValueStr.get());
    r.rotated = optionValue(object, OptionAction::ChkRotate);
    r.dx = optionValue(object, OptionAction::GetDiffZeroX);
    r.dy = optionValue(object, OptionAction::GetDiffZeroY);
    r.skew = optionValue(object, OptionAction::GetSkewSize);
    return r;
}

SheetDefinition sampleDefinition() {
    const ParsedDefinition parsed =
        parseDefinition(velmora::ProfileText::load((kSamples / "sheet.ini").string()));
    return sheetDefinitionFrom(parsed.content);
}

std::vector<fs::path> sampleImages() {
    std::vector<fs::path> images;
    for (const auto& entry : fs::directory_iterator(kSamples / "images")) {
        images.push_back(entry.path());
    }
    std::sort(images.begin(), images.end());
    return images;
}

TEST(ValueApi, SampleBatchReadsAsThroughTheComponent) {
    Ref<IStrova> object = newStrova();
    ASSERT_TRUE(object);
    TempDir dir("value-api");
    // The component writes the definition back after each run: it reads a copy.
    const fs::path copy = dir.path() / "sheet.ini";
    fs::copy_file(kSamples / "sheet.ini", copy);
    const SheetDefinition definition = sampleDefinition();
    ASSERT_TRUE(definition.refusal.empty());
    const std::vector<fs::path> images = sampleImages();
    ASSERT_EQ(images.size(), 6u);
    int rotatedSheets = 0;
    for (const fs::path& image : images) {
        SCOPED_TRACE(image.filename().string());
        const ComponentReading expected = readThroughComponent(object.get(), copy, image);
        std::optional<Raster> raster = loadImageFile(image.string());
        ASSERT_TRUE(raster);
        ReadOptions options;
        options.density = readJfifDensity(image.string()).value_or(Density{});
        const SheetResult got = readSheet(*raster, definition, options);

        EXPECT_EQ(got.status, expected.status);
        ASSERT_TRUE(got.ok());
        EXPECT_EQ(joined(got.answers, "%d"), expected.answers);
        EXPECT_EQ(joined(got.reliability, "%.1f"), expected.reliability);
        EXPECT_EQ(joined(got.marked, "%d"), expected.marked);
        ASSERT_FALSE(got.dots.empty());
        EXPECT_EQ(dotString(got.dots[0]), expected.dots);
        EXPECT_EQ(got.rotated ? 1 : 0, expected.rotated);
        EXPECT_EQ(got.alignment.offsetX, expected.dx);
        EXPECT_EQ(got.alignment.offsetY, expected.dy);
        EXPECT_EQ(got.alignment.skew, expected.skew);
        rotatedSheets += got.rotated ? 1 : 0;
    }
    // The batch holds one sheet scanned upside down.
    EXPECT_EQ(rotatedSheets, 1);
}

TEST(ValueApi, ReadingLeavesTheCallersRasterAsItWas) {
    // The upside-down sample: locating turns the working image.
    const fs::path image = kSamples / "images" / "sheet002.jpg";
    std::optional<Raster> raster = loadImageFile(image.string());
    ASSERT_TRUE(raster);
    const Raster before = raster->clone();
    SheetDefinition definition = sampleDefinition();
    definition.debugPath.clear();
    const SheetResult first = readSheet(*raster, definition, {});
    ASSERT_TRUE(first.ok());
    EXPECT_TRUE(first.rotated);
    ASSERT_EQ(raster->sizeBytes(), before.sizeBytes());
    EXPECT_EQ(std::memcmp(raster->data(), before.data(), before.sizeBytes()), 0);
    // A second read of the same raster gives the same values.
    const SheetResult second = readSheet(*raster, definition, {});
    EXPECT_EQ(second.answers, first.answers);
    EXPECT_EQ(second.dots, first.dots);
}

TEST(ValueApi, DefinitionFromContentMatchesTheFileReaderAndRefusesAtTheLimits) {
    SheetDefinition fromFile;
    readSheetDefinition((kSamples / "sheet.ini").string(), fromFile);
    const SheetDefinition fromValues = sampleDefinition();
    EXPECT_EQ(fromValues.marks.questions(), fromFile.marks.questions());
    EXPECT_EQ(fromValues.marks.choices(), fromFile.marks.choices());
    for (int q = 0; q < fromFile.marks.questions(); ++q) {
        for (int c = 0; c < fromFile.marks.choices(); ++c) {
            EXPECT_EQ(fromValues.marks.slot(q, c), fromFile.marks.slot(q, c));
        }
    }
    EXPECT_EQ(fromValues.ovalHalfWidth, fromFile.ovalHalfWidth);
    EXPECT_EQ(fromValues.zeroMarks, fromFile.zeroMarks);
    EXPECT_EQ(fromValues.multiQuestions, fromFile.multiQuestions);
    EXPECT_EQ(fromValues.editorDpiX, fromFile.editorDpiX);

    // A choice index exactly at the limit is refused, one below is held.
    DefinitionContent content;
    content.marks = {{0, kMaxChoices - 1, 10, 10}};
    EXPECT_TRUE(sheetDefinitionFrom(content).refusal.empty());
    content.marks = {{0, kMaxChoices, 10, 10}};
    const SheetDefinition refused = sheetDefinitionFrom(content);
    EXPECT_FALSE(refused.refusal.empty());
    EXPECT_EQ(refused.marks.questions(), 0);
    Raster blank(40, 40);
    std::memset(blank.data(), 255, blank.sizeBytes());
    EXPECT_EQ(readSheet(blank, refused, {}).status, kRunDefinitionRefused);
}

}  // namespace
}  // namespace strovik::testing
