// velmora: reads answer sheet images from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "tools/velmora/tool.h"

int main(int argc, char** argv) {
    // An interrupt during a rewrite must not leave a temporary file behind.
    velmora::installTempFileCleanup();
    return velmora::cli::runVelmora(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                    std::cerr);
}
