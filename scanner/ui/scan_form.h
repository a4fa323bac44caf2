// The main form of the scanner front-end: the output settings (folder,
// counter, step, digits, prefix, format, quality, preview, the hidden
// clipboard option), the last output file with its resolution, and the
// buttons for choosing the scanner, scanning and leaving. The controls are
// the live values of the settings; showSettings() fills them and texts()
// reads them back for validation. Dropping a file or folder sets the
// output folder. Control object names follow their role (edtFolder,
// btnStartScan, ...) and tests find them by these names.
#pragma once

#include <QWidget>

#include "scanner/core/scan_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fenwary {

class ScanForm final : public QWidget {
    Q_OBJECT
public:
    explicit ScanForm(QWidget* parent = nullptr);

    /// Fills every control from `settings`.
    void showSettings(const ScanSettings& settings);
    /// The controls' current values as text.
    FormTexts texts() const;
    /// Puts the keyboard focus on a field that failed validation.
    void focusField(FormField field);

    void setFolder(const QString& folder);
    void setCounter(std::uint32_t counter);
    void setLastOutputFile(const QString& path);
    QString lastOutputFile() const;
    void setResolutionText(const QString& text);
    void setPreviewChecked(bool checked);
    /// While a batch runs, the scanner and scan buttons are disabled.
    void setScanning(bool scanning);

signals:
    void browseClicked();
    void resetClicked();
    void openFolderClicked();
    void selectSourceClicked();
    void startScanClicked();
    void exitClicked();
    void previewToggled(bool checked);
    /// A file or folder was dropped: the folder to use, with "/".
    void folderDropped(const QString& folder);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void updateQualityVisibility();
    void updateCounterEnabled();

    QLineEdit* edtFolder_ = nullptr;
    QPushButton* btnBrowse_ = nullptr;
    QCheckBox* chkUseCounter_ = nullptr;
    QLineEdit* edtCounter_ = nullptr;
    QLineEdit* edtStep_ = nullptr;
    QLineEdit* edtDigits_ = nullptr;
    QLineEdit* edtPrefix_ = nullptr;
    QComboBox* cmbFormat_ = nullptr;
    QLabel* lblQuality_ = nullptr;
    QLineEdit* edtQuality_ = nullptr;
    QPushButton* btnReset_ = nullptr;
    QCheckBox* chkPreview_ = nullptr;
    QCheckBox* chkClipboard_ = nullptr;
    QLineEdit* edtOutputFile_ = nullptr;
    QPushButton* btnOpenFolder_ = nullptr;
    QPushButton* btnSelectScanner_ = nullptr;
    QPushButton* btnStartScan_ = nullptr;
    QLabel* lblResolution_ = nullptr;
    QPushButton* btnExit_ = nullptr;
};

/// The folder a dropped path stands for: a folder itself, a file's folder;
/// with a trailing "/".
QString droppedFolder(const QString& path);

}  // namespace fenwary
