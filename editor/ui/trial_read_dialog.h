// The test read's results beside the sheet: the thresholds it judged with,
// one summary line per scan (the loaded one first), the dots warning when
// the threshold misses, what each
// outline colour means, and a button to add further scans, which reads
// again at once. Not modal, so the user can keep hovering over the ovals.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace dravel {

class EditorDocument;

class TrialReadDialog final : public QDialog {
    Q_OBJECT
public:
    /// `chooseImages` asks for further scans (empty: cancelled); `readAgain`
    /// runs the test read with the document's current scans.
    TrialReadDialog(EditorDocument& document, std::function<QStringList()> chooseImages,
                    std::function<void()> readAgain, QWidget* parent = nullptr);

    /// Shows the document's current report.
    void refresh();

private:
    void addImages();

    EditorDocument& document_;
    std::function<QStringList()> chooseImages_;
    std::function<void()> readAgain_;
    QLabel* basis_ = nullptr;
    QListWidget* summary_ = nullptr;
    QLabel* warning_ = nullptr;
};

}  // namespace dravel
