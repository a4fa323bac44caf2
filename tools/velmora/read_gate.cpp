#include "tools/velmora/read_gate.h"

#include <algorithm>
#include <thread>

namespace velmora::cli {

int cappedJobs(int requested, std::ostream& err) {
    const int processors = std::max(1, int(std::thread::hardware_concurrency()));
    const int cap = 2 * processors;
    if (requested <= cap) return requested;
    err << "velmora: -j " << requested << " is more than twice the " << processors
        << " processors; reading with " << cap << " workers\n";
    return cap;
}

}  // namespace velmora::cli
