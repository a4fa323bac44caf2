// The settings dialog "各種設定" (frmSettings): modeless and live. Every
// control writes its value straight into the application's settings when it
// changes, so the batch run and the result window always read the current
// options; "閉じる" only hides the dialog.
#pragma once

#include <QDialog>
#include <functional>

#include "reader/core/app_settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace tarrow {

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    /// The dialog edits `settings`, which must outlive it. It takes the
    /// icon of `parent` (the main window) when there is one.
    explicit SettingsDialog(AppSettings& settings, QWidget* parent = nullptr);

    /// Puts the settings' current values into the controls (after the
    /// settings were loaded or changed elsewhere). Writes nothing back.
    void refreshControls();

    /// Called after the user turned a review option (10→0, several marks)
    /// on or off, so what shows the table re-colours it at once.
    void setReviewOptionsChanged(std::function<void()> changed) {
        reviewOptionsChanged_ = std::move(changed);
    }

private:
    QGroupBox* buildReadFrame();
    QGroupBox* buildImageFrame();
    QGroupBox* buildMultiMarkedFrame();
    QGroupBox* buildNoMarkedFrame();
    void connectControls();

    AppSettings& settings_;
    std::function<void()> reviewOptionsChanged_;
    QCheckBox* chkTen_ = nullptr;
    QCheckBox* chkTrans_ = nullptr;
    QCheckBox* chkRotate_ = nullptr;
    QComboBox* comboImageSize_ = nullptr;
    QComboBox* comboSharpenRate_ = nullptr;
    QCheckBox* chkMultiMarked_ = nullptr;
    QLineEdit* txtMultiMarked_ = nullptr;
    QLineEdit* txtNoMarked_ = nullptr;
    QPushButton* btnReadDefault_ = nullptr;
    QPushButton* btnImageDefault_ = nullptr;
    QPushButton* btnMultiMarkedDefault_ = nullptr;
    QPushButton* btnNoMarkedDefault_ = nullptr;
};

}  // namespace tarrow
