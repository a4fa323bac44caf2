// velmora-sheetgen: writes a batch of synthetic answer sheets with their
// definition and ground truth, or (--print) the printable templates with
// their definitions. Exit codes: 0 done, 1 write failure, 2 usage.
#include <QGuiApplication>
#include <iostream>

#include "tools/sheetgen/batch.h"
#include "tools/sheetgen/print_mode.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--print") {
        // The sheets' texts need the font database, not a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return sheetgen::runPrintMode(args, std::cout, std::cerr);
    }
    const sheetgen::CliParse parsed = sheetgen::parseCli(args);
    if (parsed.help) {
        std::cout << sheetgen::cliUsage();
        return 0;
    }
    if (!parsed.options) {
        std::cerr << "velmora-sheetgen: " << parsed.error << "\n" << sheetgen::cliUsage();
        return 2;
    }
    std::string error;
    if (!sheetgen::writeBatch(*parsed.options, std::cout, error)) {
        std::cerr << "velmora-sheetgen: " << error << "\n";
        return 1;
    }
    return 0;
}
