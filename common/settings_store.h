// The settings store that stands in for the registry. Every key is one
// INI-format file under the store's root folder (by default
// $XDG_CONFIG_HOME/velmora, or ~/.config/velmora), named after the root and
// key path: HKEY_LOCAL_MACHINE "SOFTWARE\velmora\tarrow3\param" lives in
// <root>/HKEY_LOCAL_MACHINE/SOFTWARE/velmora/tarrow3/param.ini. The file holds
// the key's string values under a "[values]" section; the key's default value
// is stored under the empty name. A key's subkeys are the folder beside its
// file. Key paths use "\" as separator; key and value names compare without
// regard to ASCII case. Files are UTF-8 and are replaced atomically.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class SettingsStore {
public:
    /// A store over the default root folder (re-read from the environment at
    /// every construction, so tests can point XDG_CONFIG_HOME elsewhere).
    SettingsStore();
    explicit SettingsStore(std::filesystem::path rootFolder);

    static std::filesystem::path defaultRootFolder();
    const std::filesystem::path& rootFolder() const { return root_; }

    /// The value, or nullopt when the key or the value does not exist.
    /// An empty name reads the key's default value.
    std::optional<std::string> getValue(std::string_view root, std::string_view keyPath,
                                        std::string_view name) const;

    /// Creates the key (and its parents) as needed and sets the value.
    bool setValue(std::string_view root, std::string_view keyPath, std::string_view name,
                  std::string_view value);

    /// Creates the key (and its parents) without values.
    bool createKey(std::string_view root, std::string_view keyPath);

    bool keyExists(std::string_view root, std::string_view keyPath) const;

    /// Removes a value; true when it existed and is gone.
    bool deleteValue(std::string_view root, std::string_view keyPath, std::string_view name);

    /// Removes a key with all its values and subkeys; true when it is gone.
    bool deleteKeyTree(std::string_view root, std::string_view keyPath);

    /// Names of the direct subkeys.
    std::vector<std::string> subkeys(std::string_view root, std::string_view keyPath) const;

private:
    std::filesystem::path root_;
};

}  // namespace velmora
