// `velmora propose` on a 300-dpi A4 sheet of 100 questions of 5 choices:
// the whole command (decode, detection, grouping, writing) as a child
// process, and the detection alone in process. Target: under 1 s.
#include <cstdio>
#include <filesystem>

#include "bench/bench_support.h"
#include "engine/image/image_loader.h"
#include "engine/layout/sheet_proposal.h"

int main() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "velmora-propose-bench";
    std::filesystem::create_directories(folder);
    bench::SheetRecipe recipe;
    recipe.dpi = 300;
    const std::string sheet = bench::writeSheet(folder / "a4-300dpi.jpg", recipe);
    const std::string def = (folder / "draft.ini").string();
    const std::string velmora = (bench::programFolder() / "velmora").string();
    const double command =
        bench::medianChildSeconds(5, {velmora, "propose", "--overwrite", "-o", def, sheet});
    const auto raster = strovik::loadImageFile(sheet);
    if (!raster) {
        std::printf("could not read the sheet\n");
        return 1;
    }
    strovik::layout::SheetProposal draft;
    const double detect =
        bench::medianSeconds(5, [&] { draft = strovik::layout::proposeSheet(*raster); });
    std::printf("propose, A4 %dx%d at 300 dpi, %zu questions x %d found\n", raster->width(),
                raster->height(), draft.questions.size(), draft.choices());
    std::printf("  velmora propose (whole command): %.3f s   target < 1 s\n", command);
    std::printf("  detection alone:                 %.3f s\n", detect);
    std::filesystem::remove_all(folder);
    return command < 1.0 ? 0 : 1;
}
