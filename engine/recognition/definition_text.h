// The whole sheet definition file as the suite writes it (the editor's save,
// the sheet generator and the printable templates): CP932 comment block,
// CR LF line ends, [ZEROMARK], [MARK], [IMAGEAREA], [MULTI] and [SYSTEM] in
// that order, two empty lines between sections, and the thresholds nobody
// edits (zero-mark colour minimum 150, rate 0.500000, oval colour range
// 100..200) written as constants.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace strovik {

struct DefinitionPoint {
    int x = -1;
    int y = -1;
};

/// What the file says, in the order it says it.
struct DefinitionText {
    int zeroRadius = 0;
    std::array<DefinitionPoint, 3> zeroMarks{};  ///< -1 where unset
    int ovalWidth = 0;
    int ovalHeight = 0;
    struct Mark {
        int question = 0;
        int choice = 0;
        int x = 0;
        int y = 0;
    };
    std::vector<Mark> marks;  ///< "MARK%d=question,choice,x,y", numbered from 0
    /// Corners in stored order (top-left, top-right, bottom-right, bottom-left).
    std::vector<std::array<DefinitionPoint, 4>> areas;
    std::vector<int> multiQuestions;  ///< joined by "," after "QUESTIONS="
    int dpiX = -1;
    int dpiY = -1;
};

/// The file's bytes.
std::string definitionFileBytes(const DefinitionText& definition);

}  // namespace strovik
