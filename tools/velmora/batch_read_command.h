// `velmora read -d DEF -o OUT.csv ...`: the reading application's batch run
// without a display, then the result window's save.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "reader/core/engine_client.h"

namespace velmora::cli {

/// Makes the engine of a sequential run; empty and `error` set when it
/// cannot.
using ComponentMaker = std::function<std::unique_ptr<tarrow::StrovaEngine>(std::string& error)>;
/// Makes one engine per worker of a parallel run.
using WorkerEngineMaker = std::function<std::unique_ptr<tarrow::StrovaEngine>()>;

struct BatchEngines {
    ComponentMaker component;
    WorkerEngineMaker worker;
};

/// The component created by its CLSID, and private engine cores for workers.
BatchEngines realEngines();

/// Runs the batch mode of `read` on the words after "read". Written file
/// paths go to `out`, one a line; messages to `err`. Exit statuses of
/// exit_codes.h. Never throws.
int runBatchReadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        const BatchEngines& engines = realEngines());

}  // namespace velmora::cli
