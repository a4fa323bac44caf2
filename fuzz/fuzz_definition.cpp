// Feeds arbitrary bytes to the sheet definition reader, through a file since
// the reader takes a path. One temporary file per process is rewritten for
// every input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/recognition/sheet_definition.h"

namespace {

std::string makeTemporaryFile() {
    std::string path =
        (std::filesystem::temp_directory_path() / "velmora-fuzz-def-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) std::abort();
    ::close(fd);
    return path;
}

const std::string& temporaryPath() {
    static const std::string path = makeTemporaryFile();
    return path;
}

void removeTemporaryFile() {
    std::remove(temporaryPath().c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    temporaryPath();
    std::atexit(removeTemporaryFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(temporaryPath().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    strovik::SheetDefinition def;
    strovik::readSheetDefinition(temporaryPath(), def);
    return 0;
}
