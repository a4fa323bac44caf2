#include "editor/core/recent_files.h"

#include <string>

namespace dravel {
namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";
constexpr const char* kKey =
    "Software\\Local AppWizard-Generated Applications\\Dravel\\Recent File List";

std::string valueName(int index) {
    return "File" + std::to_string(index + 1);
}

}  // namespace

RecentFiles::RecentFiles(velmora::SettingsStore store) : settings_(std::move(store)) {
    load();
}

void RecentFiles::load() {
    entries_.clear();
    for (int i = 0; i < kCount; ++i) {
        const std::optional<std::string> value = settings_.getValue(kRoot, kKey, valueName(i));
        if (value && !value->empty()) {
            const QString path = QString::fromStdString(*value);
            if (!entries_.contains(path)) entries_.append(path);
        }
    }
}

void RecentFiles::store() {
    for (int i = 0; i < kCount; ++i) {
        if (i < entries_.size()) {
            settings_.setValue(kRoot, kKey, valueName(i), entries_[i].toStdString());
        } else {
            settings_.deleteValue(kRoot, kKey, valueName(i));
        }
    }
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty()) return;
    entries_.removeAll(path);
    entries_.prepend(path);
    while (entries_.size() > kCount) entries_.removeLast();
    store();
}

void RecentFiles::remove(const QString& path) {
    if (entries_.removeAll(path) > 0) store();
}

}  // namespace dravel
