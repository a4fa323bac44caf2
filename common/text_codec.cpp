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
enum class OnInvalid { kFail, kPassThrough, kReplace };

constexpr std::string_view kQuestionMark = "?";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

/// What a rejected character becomes: `text`. With UTF-8 input a rejected
/// character is its whole (well-formed) sequence, with CP932 input one byte.
struct Replacement {
    std::string_view text;
    bool utf8Input = false;
};

/// Bytes of the UTF-8 sequence starting at `at` when it is well formed
/// (lead byte and continuation bytes; the converter judges the rest), else 1.
std::size_t utf8SequenceLength(const char* at, std::size_t left) {
    const auto lead = static_cast<unsigned char>(at[0]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 1;
    if (length > left) return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(at[i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

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
                                   OnInvalid onInvalid, const Replacement& replacement = {},
                                   bool* clean = nullptr) {
    if (clean != nullptr) *clean = true;
    if (isAscii(input)) return std::string(input);
    IconvHandle handle(to, from);
    if (!handle.valid()) {
        if (clean != nullptr) *clean = false;
        if (onInvalid != OnInvalid::kFail) return std::string(input);
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
        } else if (onInvalid == OnInvalid::kReplace) {
            // EILSEQ or EINVAL: one replacement for the rejected character
            // (a cut-off sequence at the end counts as one).
            if (clean != nullptr) *clean = false;
            const std::size_t skip = errno == EINVAL         ? inLeft
                                     : replacement.utf8Input ? utf8SequenceLength(in, inLeft)
                                                             : 1;
            if (out.size() - written < replacement.text.size()) {
                out.resize(out.size() * 2 + replacement.text.size());
            }
            std::copy(replacement.text.begin(), replacement.text.end(), out.begin() + written);
            written += replacement.text.size();
            in += skip;
            inLeft -= skip;
            iconv(handle.get(), nullptr, nullptr, nullptr, nullptr);
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

std::string utf8ToCp932Replacing(std::string_view utf8) {
    return *convert(utf8, kCp932, kUtf8, OnInvalid::kReplace, Replacement{kQuestionMark, true});
}

std::string cp932ToUtf8Replacing(std::string_view cp932, bool* clean) {
    return *convert(cp932, kUtf8, kCp932, OnInvalid::kReplace, Replacement{kReplacementUtf8, false},
                    clean);
}

}  // namespace velmora
