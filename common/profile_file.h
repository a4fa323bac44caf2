// INI ("private profile") files read and written with the semantics of the
// Windows profile functions, on the raw bytes of the file (CP932 text; the
// section and key names the suite uses are ASCII):
//  - section and key names compare without regard to ASCII case;
//  - the first occurrence of a section or key wins;
//  - a value is the text after the first "=", with surrounding blanks
//    (spaces and tabs) removed;
//  - lines whose first non-blank character is ";" are comments;
//  - a line ends at CR LF, a lone LF or a lone CR;
//  - a write replaces the line of an existing key with "key=value" and keeps
//    every other line byte for byte; a missing key is added after the last
//    non-empty line of its section, a missing section is appended at the end
//    of the file; new lines end in CR LF;
//  - a rewrite replaces the file atomically (see atomic_file.h).
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

/// The text of one profile file held in memory. All queries and edits work on
/// the bytes; nothing is converted.
class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(std::string bytes);

    /// Loads a file; a missing or unreadable file gives an empty text.
    static ProfileText load(const std::filesystem::path& path);

    bool hasSection(std::string_view section) const;

    /// Value of the first matching key in the first matching section, trimmed.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    /// The entry lines of a section in file order, each trimmed, without
    /// comment lines and empty lines, as the platform's section query returns
    /// them. Lines are taken while their total size (each counted with one
    /// terminator byte) stays within maxBytes; the rest is not seen.
    std::vector<std::string> sectionLines(std::string_view section,
                                          std::size_t maxBytes = 327630) const;

    /// Sets one key as the platform's single-key write does.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    /// Sets several keys of one section, leaving the text exactly as the same
    /// number of single-key writes in that order would.
    void setValues(std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& keyValues);

    /// Removes every entry line of the section whose key `matches` accepts
    /// and puts `lines` (each ended with CR LF) where the first removed line
    /// stood, or after the section's last non-empty line when none was
    /// removed; a missing section is appended with them. Other lines stay
    /// byte for byte.
    void replaceEntries(std::string_view section,
                        const std::function<bool(std::string_view key)>& matches,
                        const std::vector<std::string>& lines);

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

/// Parses an integer as the profile functions do: optional blanks, an optional
/// minus sign, then decimal digits; anything after the digits is ignored; no
/// digits gives 0; values beyond the int range saturate.
int parseProfileInt(std::string_view text);

/// Converts text like the C library's atof: the leading number, 0.0 if none.
double parseProfileReal(std::string_view text);

/// Read a string; a missing file, section or key gives `fallback`.
std::string getProfileString(const std::filesystem::path& path, std::string_view section,
                             std::string_view key, std::string_view fallback);

/// Read an integer; a missing file, section or key gives `fallback`.
int getProfileInt(const std::filesystem::path& path, std::string_view section, std::string_view key,
                  int fallback);

/// Write one key (creating the file when it does not exist). Returns false
/// when the file could not be written; the old file is then intact.
bool writeProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace velmora
