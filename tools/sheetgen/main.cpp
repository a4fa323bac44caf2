// velmora-sheetgen: writes a batch of synthetic answer sheets with their
// definition and ground truth. Exit codes: 0 done, 1 write failure, 2 usage.
#include <iostream>

#include "tools/sheetgen/batch.h"

int main(int argc, char** argv) {
    const sheetgen::CliParse parsed = sheetgen::parseCli({argv + 1, argv + argc});
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
