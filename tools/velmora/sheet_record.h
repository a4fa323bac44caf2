// What one image's reading produced, as the command prints it.
#pragma once

#include <string>
#include <vector>

namespace velmora::cli {

/// Dot string of one multi-answer question.
struct QuestionDots {
    int question = 0;  ///< 0-based question index
    std::string dots;  ///< the engine's comma-joined dot counts, verbatim
};

/// Outcome of reading one image. On a failed read (status != 0) only `image`
/// and `status` are meaningful.
struct SheetRecord {
    std::string image;               ///< path as given or as expanded from a folder
    int status = 0;                  ///< 0 = read, -2 = image not loaded, -3 = zero marks not found
    std::string answers;             ///< the engine's result string ("3,-1,1")
    std::string reliability;         ///< the engine's reliability string ("150.0,0.0,999.0")
    std::string marked;              ///< the engine's marked counts string ("1,0,1")
    std::vector<QuestionDots> dots;  ///< one per distinct multi-answer question, list order
    int offsetX = 0;
    int offsetY = 0;
    double angle = 0.0;  ///< radians
    int rotated = 0;     ///< 1 when the sheet was read turned by 180 degrees
    int skew = -1;       ///< pixels, -1 = not measured
};

}  // namespace velmora::cli
