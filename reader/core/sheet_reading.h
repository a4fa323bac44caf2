// Reading one sheet with the engine: the one place that knows the engine's
// call order. An engine is prepared once (definition, then the run-wide
// options), then each image is read with the same calls in the same order
// (resolution query, image name, image areas, crop and sharpen options, an
// optional diagnostic pass, Run, then every result getter) into a plain
// value. The batch run turns readings into prompts and table rows; the
// command line's parallel workers call the same functions on engines of
// their own.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reader/core/engine_client.h"

namespace tarrow {

/// What one engine is given: the definition and the options of every sheet.
struct ReadingSettings {
    std::string definition;  ///< the definition file (UTF-8 path)
    int noMarkedDots = 0;    ///< no-mark minimum dots
    int multiply1000 = 0;    ///< multi-marked multiply x 1000
    int scalePercent = 0;    ///< image-area crops: scale in percent
    int sharpenRate = 0;     ///< image-area crops: sharpen rate

    bool operator==(const ReadingSettings&) const = default;
};

/// What the preparation of an engine found.
struct EnginePreparation {
    /// The engine refused the definition as a whole (more questions or
    /// choices than it holds); nothing else was set.
    bool refused = false;
    int editorDpi = -1;  ///< the definition's DPI_X, -1 = none
};

/// One image to read.
struct SheetRequest {
    std::string image;       ///< UTF-8 path
    std::string debugImage;  ///< diagnostic pass writing this file first; empty: none

    bool operator==(const SheetRequest&) const = default;
};

/// Called by readSheet between engine calls, where the caller's answer or
/// display belongs in the sequence. Either may be empty.
struct ReadingHooks {
    /// After the resolution query, before the image is named: the image's
    /// resolution (-1 = the file records none).
    std::function<void(int imageDpi)> resolution;
    /// After the image-area query, when the definition has image areas: the
    /// crops' base path for this image (folder and base name); empty: no
    /// crops.
    std::function<std::string()> cropBase;
};

/// Everything the engine said about one image.
struct SheetReading {
    /// Run's status: 0 read, -2 image not loaded (also for a path longer
    /// than the engine holds, which is not handed to it), -3 zero marks not
    /// found.
    int status = kImageNotLoaded;
    /// The image's resolution; nullopt when it was not asked (path too long).
    std::optional<int> imageDpi;
    int imageAreas = 0;
    /// What the crops' base was set to; nullopt when it was not set.
    std::optional<std::string> cropBase;

    // The rest is filled only when status is 0.
    std::string answers;       ///< the result string ("3,-1,1")
    std::string reliability;   ///< the reliability string ("150.0,0.0,999.0")
    std::string markedCounts;  ///< marked count per question ("1,0,1")
    /// The definition's multi-answer list as the engine gives it ("29,3"),
    /// and the dot string of each of its comma-separated fields, in order
    /// (empty fields included, as the list is split).
    std::string multiQuestions;
    std::vector<std::string> multiDots;
    int rotated = 0;  ///< 1 when the sheet was read turned by 180 degrees
    int skew = -1;    ///< pixels, -1 = not measured
    int offsetX = 0;
    int offsetY = 0;
    std::optional<double> angle;  ///< radians, where the engine tells

    static constexpr int kRead = 0;
    static constexpr int kImageNotLoaded = -2;

    bool read() const { return status == kRead; }
    bool operator==(const SheetReading&) const = default;
};

/// Prepares `engine` for reading: put_IniFilename, the refusal query, the
/// no-mark minimum 0, the no-mark minimum dots, the editor resolution query
/// and the multi-marked multiply. nullopt when an engine call failed.
std::optional<EnginePreparation> prepareEngine(StrovaEngine& engine,
                                               const ReadingSettings& settings);

/// Reads one image on a prepared engine. nullopt when an engine call failed.
/// A diagnostic or crop path longer than the engine holds switches that
/// output off for the image rather than letting the engine cut it.
std::optional<SheetReading> readSheet(StrovaEngine& engine, const ReadingSettings& settings,
                                      const SheetRequest& request, const ReadingHooks& hooks = {});

/// What readSheet sets the crops' base to for a hook's answer `base`:
/// nullopt (not set) for an empty base, empty text (crops off) for one
/// longer than the engine holds, else the base.
std::optional<std::string> cropBaseToSet(const std::string& base);

/// `path` fits the engine's fixed path buffer.
bool fitsEngine(const std::string& path);

/// Where a batch run's readings come from: an engine it drives (below), or
/// readings made ahead by parallel workers with the same calls.
class SheetSource {
public:
    virtual ~SheetSource() = default;
    /// Once per run, before the first sheet; nullopt when an engine call
    /// failed (or readings made ahead do not fit these settings).
    virtual std::optional<EnginePreparation> prepare(const ReadingSettings& settings) = 0;
    /// One sheet, the hooks called where they belong; nullopt as above.
    virtual std::optional<SheetReading> read(const ReadingSettings& settings,
                                             const SheetRequest& request,
                                             const ReadingHooks& hooks) = 0;
    /// After a successful prepare(): every request of the run, in input
    /// order, before the first read(). A source that reads ahead starts here.
    virtual void start(const std::vector<SheetRequest>&) {}
    /// The run's crop folder was chosen (or declined): `baseOf` gives the
    /// crops' base of any image of the run (the hook's answer for it; empty:
    /// no crops). Called once a run, from inside the crop-base hook.
    virtual void setCropBases(std::function<std::string(const std::string& image)>) {}
};

/// Reads each sheet when asked, on one engine.
class EngineSource final : public SheetSource {
public:
    explicit EngineSource(StrovaEngine& engine) : engine_(engine) {}

    std::optional<EnginePreparation> prepare(const ReadingSettings& settings) override {
        return prepareEngine(engine_, settings);
    }
    std::optional<SheetReading> read(const ReadingSettings& settings, const SheetRequest& request,
                                     const ReadingHooks& hooks) override {
        return readSheet(engine_, settings, request, hooks);
    }

private:
    StrovaEngine& engine_;
};

}  // namespace tarrow
