// Choosing the scanner: the SANE devices on this computer (listed in the
// background, so the window never waits for a slow device) with the feeder,
// resolution and colour mode to use, or a TWAIN source chosen through the
// manager (whose sources show their own dialog when scanning).
#pragma once

#include <QDialog>

#include "scanner/core/acquisition.h"
#include "scanner/core/scan_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace fenwary {

class Prompter;
class TwainSession;

class SourceDialog final : public QDialog {
    Q_OBJECT
public:
    /// `twain` may be null (no TWAIN at all); its button is disabled when
    /// the manager is not installed.
    SourceDialog(Acquisition& sane, TwainSession* twain, Prompter& prompter,
                 const ScanSettings& current, QWidget* parent = nullptr);

    /// Writes the choice into `settings` (source, and for SANE the feeder,
    /// resolution and mode).
    void applyTo(ScanSettings& settings) const;
    /// True once the SANE list has arrived.
    bool listed() const { return listed_; }

private:
    void showDevices(const std::vector<SourceInfo>& devices);
    void chooseTwain();
    void updateOk();

    TwainSession* twain_;
    Prompter& prompter_;
    SourceChoice choice_;
    std::string storedDevice_;
    bool listed_ = false;
    bool twainChosen_ = false;

    QListWidget* lstDevices_ = nullptr;
    QLabel* lblListState_ = nullptr;
    QCheckBox* chkFeeder_ = nullptr;
    QSpinBox* spnResolution_ = nullptr;
    QComboBox* cmbMode_ = nullptr;
    QPushButton* btnTwain_ = nullptr;
    QPushButton* btnOk_ = nullptr;
};

}  // namespace fenwary
