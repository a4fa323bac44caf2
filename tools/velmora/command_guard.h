// Runs a subcommand body so that no exception leaves the tool.
#pragma once

#include <exception>
#include <ostream>

#include "tools/velmora/exit_codes.h"

namespace velmora::cli {

template <typename Body>
int guarded(std::ostream& err, Body body) {
    try {
        return body();
    } catch (const std::exception& e) {
        err << "velmora: internal error: " << e.what() << "\n";
    } catch (...) {
        err << "velmora: internal error\n";
    }
    return kExitInternal;
}

/// Prints help or a usage error for a parse result; nullopt-like -1 when the
/// command should go on.
template <typename P>
int helpOrError(const P& parsed, const std::string& usage, std::ostream& out, std::ostream& err) {
    if (parsed.kind == P::Kind::Help) {
        out << usage;
        return kExitOk;
    }
    if (parsed.kind == P::Kind::Error) {
        err << "velmora: " << parsed.error << "\n";
        return kExitUsage;
    }
    return -1;
}

}  // namespace velmora::cli
