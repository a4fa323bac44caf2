// The definition file of a generated sheet, written by the suite's one
// definition writer.
#include "engine/recognition/definition_format.h"
#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {

std::string definitionText(const Layout& layout) {
    strovik::DefinitionContent d;
    d.zeroMarkRadius = layout.zeroRadius;
    for (std::size_t i = 0; i < 3; ++i) d.zeroMarks[i] = {layout.zero[i].x, layout.zero[i].y};
    d.ovalWidth = layout.ovalWidth;
    d.ovalHeight = layout.ovalHeight;
    for (std::size_t q = 0; q < layout.ovals.size(); ++q)
        for (std::size_t c = 0; c < layout.ovals[q].size(); ++c)
            d.marks.push_back({int(q), int(c), layout.ovals[q][c].x, layout.ovals[q][c].y});
    for (const AreaRect& a : layout.areas) {
        const int right = a.x + a.width - 1;
        const int bottom = a.y + a.height - 1;
        d.areas.push_back({{{a.x, a.y}, {right, a.y}, {right, bottom}, {a.x, bottom}}});
    }
    d.multiQuestions = layout.multiQuestions;
    d.dpiX = d.dpiY = layout.dpi;
    return strovik::newDefinitionBytes(d);
}

}  // namespace sheetgen
