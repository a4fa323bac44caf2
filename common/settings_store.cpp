#include "common/settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <utility>

#include "common/ascii_text.h"
#include "common/atomic_file.h"
#include "common/profile_file.h"

namespace velmora {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSection = "values";
constexpr std::string_view kKeyExtension = ".ini";
constexpr std::string_view kAppFolder = "velmora";
constexpr std::size_t kPasswdBufferSize = 16384;

using Entry = std::pair<std::string, std::string>;

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return velmora::equalsIgnoringAsciiCase(a, b);
}

// ---- Escaping: a file stays one entry per line and values keep their blanks.

char hexDigit(unsigned v) {
    return "0123456789abcdef"[v & 0xFu];
}

void appendHexEscape(std::string& out, char c) {
    const auto u = static_cast<unsigned char>(c);
    out += "\\x";
    out += hexDigit(u >> 4);
    out += hexDigit(u);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

/// Escapes backslash, CR, LF and tab; blanks at either end and (for names)
/// "=" plus a leading ";" or "[" become \xHH so the profile parser neither
/// trims nor misreads them.
std::string escapeText(std::string_view text, bool isName) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool atEdge = (i == 0 || i + 1 == text.size());
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if ((atEdge && c == ' ') || (isName && c == '=') ||
                   (isName && i == 0 && (c == ';' || c == '['))) {
            appendHexEscape(out, c);
        } else {
            out += c;
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = asciiLower(c);
    if (l >= 'a' && l <= 'f') return l - 'a' + 10;
    return -1;
}

std::string unescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char n = text[i + 1];
        if (n == '\\' || n == 'n' || n == 'r' || n == 't') {
            out += (n == 'n') ? '\n' : (n == 'r') ? '\r' : (n == 't') ? '\t' : '\\';
            ++i;
        } else if (n == 'x' && i + 3 < text.size() && hexValue(text[i + 2]) >= 0 &&
                   hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            out += c;  // not an escape we write: keep it literally
        }
    }
    return out;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// ---- One key file: its entries in file order, first occurrence of a name wins.

std::vector<Entry>::iterator findEntry(std::vector<Entry>& entries, std::string_view name) {
    return std::find_if(entries.begin(), entries.end(),
                        [&](const Entry& e) { return equalsIgnoreCase(e.first, name); });
}

std::vector<Entry> loadEntries(const fs::path& file) {
    const ProfileText text = ProfileText::load(file);
    std::vector<Entry> entries;
    for (const std::string& line :
         text.sectionLines(kSection, std::numeric_limits<std::size_t>::max())) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = unescapeText(trimBlanks(std::string_view(line).substr(0, eq)));
        if (findEntry(entries, name) != entries.end()) continue;
        std::string value = unescapeText(trimBlanks(std::string_view(line).substr(eq + 1)));
        entries.emplace_back(std::move(name), std::move(value));
    }
    return entries;
}

bool saveEntries(const fs::path& file, const std::vector<Entry>& entries) {
    std::string bytes = "[" + std::string(kSection) + "]\n";
    for (const Entry& e : entries) {
        bytes += escapeText(e.first, true) + "=" + escapeText(e.second, false) + "\n";
    }
    return writeFileAtomically(file, bytes);
}

// ---- Key paths to files and folders.

bool validComponent(std::string_view c) {
    return !c.empty() && c != "." && c != ".." && c.find('/') == std::string_view::npos &&
           c.find('\0') == std::string_view::npos;
}

/// Root name followed by the key path's components; empty components (from
/// doubled or outer separators) are skipped. Nullopt for names that cannot
/// be folder names.
std::optional<std::vector<std::string>> splitKey(std::string_view root, std::string_view keyPath) {
    std::vector<std::string> parts;
    if (!validComponent(root)) return std::nullopt;
    parts.emplace_back(root);
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        std::size_t end = keyPath.find('\\', start);
        if (end == std::string_view::npos) end = keyPath.size();
        const std::string_view part = keyPath.substr(start, end - start);
        if (!part.empty()) {
            if (!validComponent(part)) return std::nullopt;
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return parts;
}

/// The name of an existing entry of `folder` equal to `wanted` ignoring ASCII
/// case (the smallest such name when there are several); empty when none.
std::string findEntryName(const fs::path& folder, std::string_view wanted, bool wantDirectory) {
    std::error_code ec;
    std::string best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!equalsIgnoreCase(name, wanted)) continue;
        std::error_code typeEc;
        if (it->is_directory(typeEc) != wantDirectory) continue;
        if (best.empty() || name < best) best = name;
    }
    return best;
}

/// Where a key lives: its file and the folder of its subkeys.
struct KeyLocation {
    fs::path file;
    fs::path folder;
};

/// Resolves one component inside `parent`, preferring the spelling of an
/// existing folder, then of an existing key file, then the given name.
std::string resolveComponent(const fs::path& parent, const std::string& wanted) {
    std::string name = findEntryName(parent, wanted, true);
    if (!name.empty()) return name;
    name = findEntryName(parent, wanted + std::string(kKeyExtension), false);
    if (!name.empty()) return name.substr(0, name.size() - kKeyExtension.size());
    return wanted;
}

std::optional<KeyLocation> locateKey(const fs::path& rootFolder, std::string_view root,
                                     std::string_view keyPath) {
    const auto parts = splitKey(root, keyPath);
    if (!parts) return std::nullopt;
    fs::path parent = rootFolder;
    for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
        parent /= resolveComponent(parent, (*parts)[i]);
    }
    const std::string& last = parts->back();
    KeyLocation loc;
    std::string fileName = findEntryName(parent, last + std::string(kKeyExtension), false);
    std::string folderName = findEntryName(parent, last, true);
    if (fileName.empty()) {
        fileName = (folderName.empty() ? last : folderName) + std::string(kKeyExtension);
    }
    if (folderName.empty()) folderName = fileName.substr(0, fileName.size() - kKeyExtension.size());
    loc.file = parent / fileName;
    loc.folder = parent / folderName;
    return loc;
}

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool isFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool ensureParent(const fs::path& file) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    return isFolder(file.parent_path());
}

std::optional<fs::path> homeFromPasswd() {
    std::vector<char> buffer(kPasswdBufferSize);
    passwd pw{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &pw, buffer.data(), buffer.size(), &result) != 0 || !result ||
        !result->pw_dir || result->pw_dir[0] != '/') {
        return std::nullopt;
    }
    return fs::path(result->pw_dir);
}

const char* nonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return (value && value[0] != '\0') ? value : nullptr;
}

}  // namespace

SettingsStore::SettingsStore() : root_(defaultRootFolder()) {}

SettingsStore::SettingsStore(std::filesystem::path rootFolder) : root_(std::move(rootFolder)) {}

std::filesystem::path SettingsStore::defaultRootFolder() {
    // A relative XDG_CONFIG_HOME is invalid by the base-directory rules and
    // is ignored, as is an empty one.
    if (const char* xdg = nonEmptyEnv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        return fs::path(xdg) / kAppFolder;
    }
    if (const char* home = nonEmptyEnv("HOME")) return fs::path(home) / ".config" / kAppFolder;
    if (auto home = homeFromPasswd()) return *home / ".config" / kAppFolder;
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    if (ec || tmp.empty()) tmp = "/tmp";
    return tmp / ("velmora-" + std::to_string(getuid())) / ".config" / kAppFolder;
}

std::optional<std::string> SettingsStore::getValue(std::string_view root, std::string_view keyPath,
                                                   std::string_view name) const {
    const auto loc = locateKey(root_, root, keyPath);
    if (!loc || !isFile(loc->file)) return std::nullopt;
    std::vector<Entry> entries = loadEntries(loc->file);
    const auto it = findEntry(entries, name);
    if (it == entries.end()) return std::nullopt;
    return it->second;
}

bool SettingsStore::setValue(std::string_view root, std::string_view keyPath, std::string_view name,
                             std::string_view value) {
    const auto loc = locateKey(root_, root, keyPath);
    if (!loc || !ensureParent(loc->file)) return false;
    std::vector<Entry> entries = loadEntries(loc->file);
    const auto it = findEntry(entries, name);
    if (it != entries.end()) {
        it->second = std::string(value);
    } else {
        entries.emplace_back(std::string(name), std::string(value));
    }
    return saveEntries(loc->file, entries);
}

bool SettingsStore::createKey(std::string_view root, std::string_view keyPath) {
    const auto loc = locateKey(root_, root, keyPath);
    if (!loc || !ensureParent(loc->file)) return false;
    if (isFile(loc->file)) return true;
    return saveEntries(loc->file, {});
}

bool SettingsStore::keyExists(std::string_view root, std::string_view keyPath) const {
    const auto loc = locateKey(root_, root, keyPath);
    return loc && (isFile(loc->file) || isFolder(loc->folder));
}

bool SettingsStore::deleteValue(std::string_view root, std::string_view keyPath,
                                std::string_view name) {
    const auto loc = locateKey(root_, root, keyPath);
    if (!loc || !isFile(loc->file)) return false;
    std::vector<Entry> entries = loadEntries(loc->file);
    const auto it = findEntry(entries, name);
    if (it == entries.end()) return false;
    entries.erase(it);
    return saveEntries(loc->file, entries);
}

bool SettingsStore::deleteKeyTree(std::string_view root, std::string_view keyPath) {
    const auto parts = splitKey(root, keyPath);
    if (!parts || parts->size() < 2) return false;  // a root itself is never deleted
    const auto loc = locateKey(root_, root, keyPath);
    if (!loc) return false;
    std::error_code ec;
    fs::remove(loc->file, ec);
    fs::remove_all(loc->folder, ec);
    return !isFile(loc->file) && !isFolder(loc->folder);
}

std::vector<std::string> SettingsStore::subkeys(std::string_view root,
                                                std::string_view keyPath) const {
    std::vector<std::string> names;
    const auto loc = locateKey(root_, root, keyPath);
    if (!loc) return names;
    std::error_code ec;
    for (fs::directory_iterator it(loc->folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (!it->is_directory(typeEc)) {
            const bool isKeyFile =
                name.size() > kKeyExtension.size() &&
                equalsIgnoreCase(name.substr(name.size() - kKeyExtension.size()), kKeyExtension);
            if (!isKeyFile || !it->is_regular_file(typeEc)) continue;
            name.resize(name.size() - kKeyExtension.size());
        }
        const bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return equalsIgnoreCase(n, name);
        });
        if (!seen) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace velmora
