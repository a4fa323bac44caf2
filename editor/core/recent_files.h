// The four most recently used files, kept in the settings store under the
// HKEY_CURRENT_USER key of the editor's recent-file list (see
// recent_files.cpp) as "File1" (newest) to "File4".
#pragma once

#include <QString>
#include <QStringList>

#include "common/settings_store.h"

namespace dravel {

class RecentFiles {
public:
    static constexpr int kCount = 4;

    explicit RecentFiles(velmora::SettingsStore store = velmora::SettingsStore());

    /// Newest first.
    const QStringList& entries() const { return entries_; }
    /// Puts `path` first (once) and writes the list through.
    void add(const QString& path);
    void remove(const QString& path);

private:
    void load();
    void store();

    velmora::SettingsStore settings_;
    QStringList entries_;
};

}  // namespace dravel
