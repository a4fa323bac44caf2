// CP932 <-> UTF-8 conversion through iconv.
#include "common/text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace velmora {
namespace {

constexpr const char* kCp932 = "CP932";
constexpr const char* kUtf8 = "UTF-8";
constexpr std::size_t kMinOutputChunk = 64;

/// What to do with bytes the converter rejects.
enum class OnInvalid { kFail, kPassThrough };

/// Owns an iconv descriptor for the span of one conversion.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

/// Both encodings share the ASCII range byte for byte, so pure ASCII needs
/// no conversion at all.
bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

/// Runs iconv over the whole input, growing the output as needed. Rejected or
/// truncated sequences either fail the conversion or are copied through one
/// byte at a time.
std::optional<std::string> convert(std::string_view input, const char* to, const char* from,
                                   OnInvalid onInvalid) {
    if (isAscii(input)) return std::string(input);
    IconvHandle handle(to, from);
    if (!handle.valid()) {
        if (onInvalid == OnInvalid::kPassThrough) return std::string(input);
        return std::nullopt;
    }

    std::string out(std::max(input.size() * 2, kMinOutputChunk), '\0');
    std::size_t written = 0;
    char* in = const_cast<char*>(input.data());  // iconv's signature; it does not write.
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = out.data() + written;
        std::size_t outLeft = out.size() - written;
        const std::size_t rc = iconv(handle.get(), &in, &inLeft, &outPtr, &outLeft);
        written = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else if (onInvalid == OnInvalid::kPassThrough) {
            // EILSEQ or EINVAL: keep the offending byte as it is and go on.
            if (written == out.size()) out.resize(out.size() * 2);
            out[written++] = *in++;
            --inLeft;
            iconv(handle.get(), nullptr, nullptr, nullptr, nullptr);
        } else {
            return std::nullopt;
        }
    }
    out.resize(written);
    return out;
}

}  // namespace

std::optional<std::string> cp932ToUtf8(std::string_view cp932) {
    return convert(cp932, kUtf8, kCp932, OnInvalid::kFail);
}

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
    return convert(utf8, kCp932, kUtf8, OnInvalid::kFail);
}

std::string cp932ToUtf8Lenient(std::string_view cp932) {
    return *convert(cp932, kUtf8, kCp932, OnInvalid::kPassThrough);
}

std::string utf8ToCp932Lenient(std::string_view utf8) {
    return *convert(utf8, kCp932, kUtf8, OnInvalid::kPassThrough);
}

}  // namespace velmora
