// The write-back after a successful run: the engine's zero-mark and oval keys
// go back into the definition file, as thirteen single-key profile writes
// would leave it, in one atomic rewrite (none when nothing changes).
#include <string>

#include "common/atomic_file.h"
#include "common/profile_file.h"
#include "engine/recognition/definition_format.h"
#include "engine/recognition/sheet_definition.h"

namespace strovik {

bool writeBackSheetDefinition(const std::string& path, const SheetDefinition& def) {
    if (path.empty()) return false;
    DefinitionContent c;
    c.zeroMarkRadius = def.zeroMarkRadius;
    for (std::size_t i = 0; i < 3; ++i) c.zeroMarks[i] = {def.zeroMarks[i].x, def.zeroMarks[i].y};
    c.zeroMarkColorMin = def.zeroMarkColorMin;
    c.zeroMarkRate = def.zeroMarkRate;
    // The halves are kept, so an odd size comes back one smaller.
    c.ovalWidth = int(2LL * def.ovalHalfWidth);
    c.ovalHeight = int(2LL * def.ovalHalfHeight);
    c.ovalColorMin = def.ovalColorMin;
    c.ovalColorMax = def.ovalColorMax;
    velmora::ProfileText text = velmora::ProfileText::load(path);
    const std::string before = text.bytes();
    setWriteBackValues(text, c);
    // A file that holds these values already is left as it is: rewriting it
    // gives the same bytes, and the flush to disk that makes the rewrite
    // safe costs more than reading the sheet did.
    if (!before.empty() && text.bytes() == before) return true;
    return velmora::writeFileAtomically(path, text.bytes());
}

}  // namespace strovik
