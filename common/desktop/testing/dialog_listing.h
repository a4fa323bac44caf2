// Test support: the files a Qt file dialog lists in a folder under a filter,
// read from the real (non-native) dialog, so a filter is checked the way a
// user meets it.
#pragma once

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QSignalSpy>
#include <QStringList>

namespace velmora::testing {

/// File names (sorted) that the dialog shows in `folder` with `qtFilter`
/// selected.
inline QStringList filesListedByDialog(const QString& folder, const QString& qtFilter) {
    QFileDialog dialog(nullptr, QString(), folder, qtFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!model || !list) return {};
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    dialog.setDirectory(folder);
    if (loaded.isEmpty()) loaded.wait(5000);
    QStringList names;
    const QAbstractItemModel* shown = list->model();
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < shown->rowCount(root); ++row) {
        const QModelIndex index = shown->index(row, 0, root);
        if (!(shown->flags(index) & Qt::ItemIsEnabled)) continue;
        names.append(index.data().toString());
    }
    names.sort();
    return names;
}

}  // namespace velmora::testing
