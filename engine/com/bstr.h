// BSTR: UTF-16 text preceded by a 4-byte byte count and followed by a
// terminating NUL, handed out as a pointer to the first character. A null
// BSTR is valid everywhere and means empty text. Strings cross the component
// boundary as BSTRs; inside, text is UTF-8 (the "ANSI code page" here).
#pragma once

#include <string>
#include <string_view>

#include "engine/com/com_types.h"

namespace strovik {

/// A copy of a NUL-terminated string; null gives null. Null when memory runs
/// out.
BSTR SysAllocString(const OLECHAR* text);
/// A string of `length` characters copied from `text` (or zero-filled when
/// `text` is null), plus the terminating NUL.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
/// Frees a BSTR; null is fine.
void SysFreeString(BSTR text);
/// Number of characters (not counting the terminator); 0 for null.
UINT SysStringLen(BSTR text);

/// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string utf16FromUtf8(std::string_view utf8);
/// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string utf8FromUtf16(std::u16string_view utf16);

/// A new BSTR holding `utf8` converted (never null unless memory runs out).
BSTR bstrFromUtf8(std::string_view utf8);
/// The text of a BSTR (all SysStringLen characters) as UTF-8; null is empty.
std::string utf8FromBstr(BSTR text);

/// File names are bytes that need not be UTF-8. These convert like the two
/// above, except that a byte outside valid UTF-8 becomes the lone surrogate
/// U+DC00 + byte and such a surrogate becomes its byte again, so any name
/// crosses the component boundary unchanged.
BSTR bstrFromBytes(std::string_view bytes);
std::string bytesFromBstr(BSTR text);

/// Owns one BSTR and frees it at the end of its life.
class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR text) : text_(text) {}
    explicit UniqueBstr(std::string_view utf8) : text_(bstrFromUtf8(utf8)) {}
    ~UniqueBstr() { SysFreeString(text_); }
    UniqueBstr(UniqueBstr&& other) noexcept : text_(other.release()) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;

    BSTR get() const { return text_; }
    /// For out-parameters: frees the current text and hands out the slot.
    BSTR* out() {
        reset();
        return &text_;
    }
    BSTR release() {
        BSTR t = text_;
        text_ = nullptr;
        return t;
    }
    void reset(BSTR text = nullptr) {
        SysFreeString(text_);
        text_ = text;
    }
    std::string utf8() const { return utf8FromBstr(text_); }

private:
    BSTR text_ = nullptr;
};

}  // namespace strovik
