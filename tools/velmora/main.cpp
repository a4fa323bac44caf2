// velmora: reads answer sheet images from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "tools/velmora/tool.h"

int main(int argc, char** argv) {
    return velmora::cli::runVelmora(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                    std::cerr);
}
