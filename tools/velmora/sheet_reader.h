// The engine call sequence of the batch reading run: the settings once per
// engine, then one image at a time into a result record.
#pragma once

#include <string>

#include "reader/core/engine_client.h"
#include "tools/velmora/command_line.h"
#include "tools/velmora/sheet_record.h"

namespace velmora::cli {

/// Image-area crops are scaled to this percentage and sharpened by this rate.
inline constexpr int kCropScalePercent = 75;
inline constexpr int kCropSharpenRate = 30;

/// Once per engine, before its first image: reads the definition and sets the
/// no-mark minimum to 0, the no-mark minimum dots and the multi-marked
/// multiply from the options.
void prepareEngine(tarrow::StrovaEngine& engine, const ReadOptions& options);

/// Reads one image with the calls of the batch run (density query, image
/// name, crop and sharpen options, an optional diagnostic pass, the run, then
/// every result getter). An image path longer than the engine holds
/// (EngineSession::kMaxPath) is reported as -2 without calling the engine; a
/// crop or diagnostic path that long switches that output off for the image.
SheetRecord readSheet(tarrow::StrovaEngine& engine, const std::string& image,
                      const ReadOptions& options);

/// The file name without folder and without its last extension
/// ("a/scan.001.jpg" -> "scan.001").
std::string baseName(const std::string& path);

}  // namespace velmora::cli
