// A tiny answer sheet drawn by the tests themselves: a 24-bit Windows bitmap
// with three zero-mark discs and some filled ovals, and the matching
// definition file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace strovik::testing {

struct SyntheticSheet {
    std::filesystem::path image;
    std::filesystem::path definition;
    int questions = 0;
    int choices = 0;
    std::string expectedAnswers;  ///< as get_Result reports them
    std::string expectedReliability;
};

/// Writes "sheet.bmp" and "sheet.ini" into `folder`: two questions with
/// three choices each, choice 2 of question 1 and choice 3 of question 2
/// filled, and `imageAreas` image areas in the definition.
SyntheticSheet writeSyntheticSheet(const std::filesystem::path& folder, int imageAreas = 0);

/// Writes a definition with `imageAreas` areas and, when `multi` is not
/// empty, a [MULTI] QUESTIONS value.
void writeDefinition(const std::filesystem::path& path, int imageAreas,
                     const std::string& multi = {});

}  // namespace strovik::testing
