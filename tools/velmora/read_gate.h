// The number of parallel readers the command line starts: capped to what
// the processors can use.
#pragma once

#include <ostream>

namespace velmora::cli {

/// Workers beyond twice the processors only add memory: `requested` capped
/// at that, with a note on `err` when it was.
int cappedJobs(int requested, std::ostream& err);

}  // namespace velmora::cli
