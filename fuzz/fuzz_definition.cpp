// Feeds arbitrary bytes to the sheet definition reader, through a file since
// the reader takes a path. One temporary file per process is rewritten for
// every input.
#include <cstddef>
#include <cstdint>

#include "engine/recognition/sheet_definition.h"
#include "fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmora::fuzz::inputPath();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::writeInput(data, size);
    strovik::SheetDefinition def;
    strovik::readSheetDefinition(velmora::fuzz::inputPath(), def);
    return 0;
}
