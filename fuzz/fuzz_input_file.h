// For fuzz targets whose code under test reads a named file: one temporary
// file per fuzzing process, each input written to it, removed at exit.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace velmora::fuzz {

/// The process's input file, made on the first call. Never destroyed, so the
/// removal at exit can still name it.
inline const std::string& inputPath() {
    static const std::string* path = [] {
        auto* made = new std::string(
            (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX").string());
        const int fd = ::mkstemp(made->data());
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] { std::remove(inputPath().c_str()); });
        return made;
    }();
    return *path;
}

/// Replaces the input file's content with `size` bytes of `data`.
inline void writeInput(const void* data, std::size_t size) {
    std::FILE* file = std::fopen(inputPath().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

}  // namespace velmora::fuzz
