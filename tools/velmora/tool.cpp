#include "tools/velmora/tool.h"

#include "tools/velmora/command_line.h"
#include "tools/velmora/exit_codes.h"
#include "tools/velmora/read_command.h"

namespace velmora::cli {

int runVelmora(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "velmora: missing command\n" << toolUsage();
        return kExitUsage;
    }
    const std::string& command = args.front();
    if (command == "--help" || command == "-h") {
        out << toolUsage();
        return kExitOk;
    }
    if (command == "read") {
        return runReadCommand(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
    }
    err << "velmora: unknown command '" << command << "'\n" << toolUsage();
    return kExitUsage;
}

}  // namespace velmora::cli
