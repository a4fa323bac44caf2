// The write-back after a successful run: the engine's zero-mark and oval keys
// go back into the definition file, as thirteen single-key profile writes
// would leave it, in one atomic rewrite.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/atomic_file.h"
#include "common/profile_file.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {
namespace {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

std::string decimal(int v) {
    return std::to_string(v);
}

KeyValues zeroMarkKeys(const SheetDefinition& def) {
    return {
        {"ZEROMARK_RADIUS", decimal(def.zeroMarkRadius)},
        {"ZEROMARK1_X", decimal(def.zeroMarks[0].x)},
        {"ZEROMARK1_Y", decimal(def.zeroMarks[0].y)},
        {"ZEROMARK2_X", decimal(def.zeroMarks[1].x)},
        {"ZEROMARK2_Y", decimal(def.zeroMarks[1].y)},
        {"ZEROMARK3_X", decimal(def.zeroMarks[2].x)},
        {"ZEROMARK3_Y", decimal(def.zeroMarks[2].y)},
        {"ZEROMARK_COLOR_MIN", decimal(def.zeroMarkColorMin)},
        {"ZEROMARK_RATE", formatZeroMarkRate(def.zeroMarkRate)},
    };
}

KeyValues markKeys(const SheetDefinition& def) {
    // The halves are kept, so an odd size comes back one smaller.
    return {
        {"OVALMARK_WIDTH", decimal(int(2LL * def.ovalHalfWidth))},
        {"OVALMARK_HEIGHT", decimal(int(2LL * def.ovalHalfHeight))},
        {"OVALMARK_COLOR_MIN", decimal(def.ovalColorMin)},
        {"OVALMARK_COLOR_MAX", decimal(def.ovalColorMax)},
    };
}

}  // namespace

std::string formatZeroMarkRate(double rate) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.7g", rate);
    std::string text(buffer);
    if (text.find_first_of(".eEn") == std::string::npos) text += '.';
    return text;
}

bool writeBackSheetDefinition(const std::string& path, const SheetDefinition& def) {
    if (path.empty()) return false;
    velmora::ProfileText text = velmora::ProfileText::load(path);
    text.setValues("ZEROMARK", zeroMarkKeys(def));
    text.setValues("MARK", markKeys(def));
    return velmora::writeFileAtomically(path, text.bytes());
}

}  // namespace strovik
