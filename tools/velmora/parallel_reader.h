// Reads a list of images on several worker threads, each with its own
// engine, and hands the records back in input order.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/velmora/command_line.h"
#include "tools/velmora/session_engine.h"
#include "tools/velmora/sheet_record.h"

namespace velmora::cli {

/// Makes one engine per worker.
using EngineFactory = std::function<std::unique_ptr<tarrow::StrovaEngine>()>;
/// Receives each record, in input order, on the calling thread.
using RecordSink = std::function<void(const SheetRecord&)>;

/// Reads `images` with min(options.jobs, images.size()) workers. Every
/// worker's engine is created and prepared (definition read, settings set)
/// on the calling thread before any worker starts, so no engine reads the
/// definition while another one is writing it back. Images go to whichever
/// worker is free next; an image that cannot be loaded while others are
/// being read (the memory they hold may be what it lacks) is read once more
/// while no other worker reads, so every worker count gives the records one
/// worker gives. Each record is passed to `sink` as soon as it and all
/// records before it are done. Returns false with `error` set only when
/// no worker thread could be started.
bool readImages(const std::vector<std::string>& images, const ReadOptions& options,
                const EngineFactory& makeEngine, const RecordSink& sink, std::string& error);

}  // namespace velmora::cli
