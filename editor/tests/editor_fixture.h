// Shared pieces of the core tests: a document over a scripted host, blank
// scans written with the sheet generator's writers, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "editor/core/editor_document.h"
#include "editor/tests/scripted_host.h"
#include "tools/sheetgen/sheet_generator.h"

namespace dravel::testing {

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// A white scan of the given size saved with its resolution.
inline bool writeBlankScan(const QString& path, int width, int height, int dpi,
                           sheetgen::Format format = sheetgen::Format::Jpeg) {
    sheetgen::Image image;
    image.width = width;
    image.height = height;
    image.bgr.assign(std::size_t(width) * std::size_t(height) * 3, 255);
    return sheetgen::saveImage(QFile::encodeName(path).toStdString(), image, format, dpi);
}

inline QString testData(const char* name) {
    return QStringLiteral(VELMORA_SOURCE_DIR "/editor/tests/data/") + QLatin1String(name);
}

/// A document on 8 December 2013 whose random numbers are 16386 (5000 in
/// the proposed name).
class EditorFixture : public ::testing::Test {
protected:
    EditorFixture()
        : document(host, {[] { return QDate(2013, 12, 8); }, [] { return 16386; }}, nullptr) {}

    QString path(const char* name) const { return folder.filePath(QLatin1String(name)); }

    /// Opens a blank 600 x 800 scan at 300 dpi and answers the zero-mark
    /// dialog with `radius`.
    void openBlankScan(int radius = kDefaultZeroRadius) {
        ASSERT_TRUE(writeBlankScan(path("sample.jpg"), 600, 800, 300));
        host.zeroRadii.push_back(radius);
        ASSERT_EQ(document.openDocument(path("sample.jpg")), EditorDocument::OpenResult::Opened);
    }

    void click(int x, int y, Modifiers modifiers = {}) {
        document.placer().leftButtonDown({x, y}, modifiers);
        document.placer().leftButtonUp({x, y});
    }

    EditorState& state() { return document.state(); }

    QTemporaryDir folder;
    ScriptedHost host;
    EditorDocument document;
};

}  // namespace dravel::testing
