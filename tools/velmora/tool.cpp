#include "tools/velmora/tool.h"

#include "tools/velmora/batch_options.h"
#include "tools/velmora/batch_read_command.h"
#include "tools/velmora/command_line.h"
#include "tools/velmora/exit_codes.h"
#include "tools/velmora/propose_command.h"
#include "tools/velmora/read_command.h"
#include "tools/velmora/result_commands.h"
#include "tools/velmora/split_command.h"

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
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "read") {
        if (hasOutputOption(rest)) return runBatchReadCommand(rest, out, err);
        return runReadCommand(rest, out, err);
    }
    if (command == "score") return runScoreCommand(rest, out, err);
    if (command == "count") return runCountCommand(rest, out, err);
    if (command == "rename") return runRenameCommand(rest, out, err);
    if (command == "split") return runSplitCommand(rest, out, err);
    if (command == "analyse") return runAnalyseCommand(rest, out, err);
    if (command == "propose") return runProposeCommand(rest, out, err);
    err << "velmora: unknown command '" << command << "'\n" << toolUsage();
    return kExitUsage;
}

}  // namespace velmora::cli
