// Reading one sheet as values: a decoded raster, a definition and the read
// options in, the zero marks, alignment and per-question results out. No
// file is read or written here except the crops and the diagnostic image
// the options and the definition ask for. The component (through
// EngineCore) and the editor's test read both call readSheet, so a sheet
// reads the same whichever way it comes in.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/image/jfif_density.h"
#include "engine/image/raster.h"
#include "engine/recognition/alignment.h"
#include "engine/recognition/engine_core.h"
#include "engine/recognition/sheet_definition.h"
#include "engine/recognition/zero_mark_locator.h"

namespace strovik {

struct ReadOptions {
    /// The image's recorded resolution in dots per inch (0 = none). Both
    /// from 250 on: every second pixel is sampled; both from 450 on: the
    /// zero-mark windows are doubled. The component takes it from the JFIF
    /// header of a ".jpg"/".jpeg" file only.
    Density density;
    /// Image-area crops; no crops when its base path is empty.
    CropOptions crop;
};

/// The sampling an image of the given resolution is read with (see
/// ReadOptions::density for the exact rules).
SamplingMode samplingFor(Density density);

struct SheetResult {
    /// kRunOk, kRunZeroMarksNotFound or kRunDefinitionRefused.
    int status = kRunOk;
    bool rotated = false;  ///< the zero marks were found on the image turned by 180 degrees
    /// On success the whole alignment; otherwise only `found` is meaningful
    /// (the last attempt's winners, as the component reports them).
    Alignment alignment;
    /// One entry per question: 1-based choice or -1, the best separation
    /// ratio, the count of choices that look marked. Empty unless read.
    std::vector<int> answers;
    std::vector<double> reliability;
    std::vector<int> marked;
    /// Per position of the several-answer list: dark-sample count per
    /// choice (empty for a repeated or undefined question).
    std::vector<std::vector<int>> dots;

    bool ok() const { return status == kRunOk; }
};

/// Reads a sheet. The definition is used as given, except that zero marks 2
/// and 3 are exchanged on a private copy as applyZeroMarkExchange says.
/// `raster` is copied, because locating turns it and diagnostics draw on it.
SheetResult readSheet(const Raster& raster, const SheetDefinition& definition,
                      const ReadOptions& options);

/// The same, working on `raster` itself (left in an unspecified state).
SheetResult readSheet(Raster&& raster, const SheetDefinition& definition,
                      const ReadOptions& options);

}  // namespace strovik
