// Conversion between the suite's file encoding (CP932, Shift_JIS with the
// Windows extensions) and UTF-8, the encoding of strings inside the programs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

/// CP932 bytes to UTF-8. Returns nullopt when the input holds a byte
/// sequence that is not valid CP932.
std::optional<std::string> cp932ToUtf8(std::string_view cp932);

/// UTF-8 to CP932 bytes. Returns nullopt when the input is not valid UTF-8
/// or holds a character that CP932 cannot express.
std::optional<std::string> utf8ToCp932(std::string_view utf8);

/// As above, but never fails: undecodable input is passed through byte for
/// byte. For paths and free text where losing nothing matters more than
/// rejecting odd bytes.
std::string cp932ToUtf8Lenient(std::string_view cp932);
std::string utf8ToCp932Lenient(std::string_view utf8);

/// UTF-8 to CP932 for text that must be written whatever it holds: each
/// character CP932 cannot express, and each byte that is not UTF-8, becomes
/// one "?"; a sequence cut off at the end becomes one "?".
std::string utf8ToCp932Replacing(std::string_view utf8);

/// CP932 to UTF-8 that never fails: each byte that does not begin a valid
/// CP932 character becomes U+FFFD (a lead byte cut off at the end too).
/// `clean` (when given) tells whether every byte decoded.
std::string cp932ToUtf8Replacing(std::string_view cp932, bool* clean = nullptr);

}  // namespace velmora
