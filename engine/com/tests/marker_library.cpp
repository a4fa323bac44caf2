// A stand-in for a planted engine library: loading it creates the file named
// by VELMORA_MARKER_FILE, as a hostile library's constructor would run code.
#include <cstdio>
#include <cstdlib>

namespace {

__attribute__((constructor)) void leaveMarker() {
    const char* path = std::getenv("VELMORA_MARKER_FILE");
    if (path == nullptr) return;
    if (std::FILE* file = std::fopen(path, "w")) std::fclose(file);
}

}  // namespace
