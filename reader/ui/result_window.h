// The result window "frmDetail" (結果表示): the batch's table with its
// colours, the threshold boxes, the scoring and saving buttons, and the
// mouse and key work on the grid (in-place editor, input dialog, clearing,
// image crops). The operations themselves live in reader/core; this window
// routes the user's gestures to them and refreshes the view.
#pragma once

#include <QPersistentModelIndex>
#include <QWidget>
#include <functional>

#include "reader/core/prompter.h"
#include "reader/core/review_navigation.h"
#include "reader/core/run_feedback.h"
#include "reader/core/threshold_colouring.h"
#include "reader/ui/app_context.h"

class QBoxLayout;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tarrow {

class AnalysisWindow;
class DensityWindow;
class FrozenGridView;
class ImageViewer;
class RenameDialog;
class ResultTableModel;
class SettingsBackend;

class ResultWindow final : public QWidget {
    Q_OBJECT

public:
    /// The help line under the grid.
    static const QString kHelpText;

    /// The context and prompter are borrowed and must outlive the window.
    /// `feedback` is the main window's (its status line hears of a repaint
    /// that stopped); the window's own status line shows what its edits say.
    ResultWindow(AppContext& context, Prompter& prompter, RunFeedback& feedback,
                 QWidget* parent = nullptr);
    ~ResultWindow() override;

    /// Before a run fills the table: hides the window and the image viewer.
    void prepareForRun();
    /// After a run or a CSV load: thresholds from the settings, the model
    /// refreshed, the window shown with row 3 column 1 current and the grid
    /// focused.
    void showResults();
    /// Shows the window again after prepareForRun() when nothing changed:
    /// the same current cell, thresholds and scroll position.
    void showAgain();
    /// Re-reads the whole table into the view (after the table changed
    /// outside this window).
    void refreshTable();
    bool saved() const;
    /// Opens the analysis window over the table as it stands now.
    void showAnalysis();
    void hideImageViewer();

    /// The image viewer as this window uses it. By default the window's own
    /// viewer (frmImage, created on first use); tests put recorders here.
    /// Unset hooks do nothing.
    struct ImageViewerHooks {
        std::function<void(int row, int col)> showImage;  ///< crop of (row, col)
        std::function<void()> hide;
        std::function<bool()> visible;
    };
    void setImageViewerHooks(ImageViewerHooks hooks);
    /// Opens the rename window; by default the window's own modeless
    /// frmRename, created on first use.
    void setRenameHook(std::function<void()> openRename);
    /// The desktop's "open this file" (QDesktopServices by default); tests
    /// replace it so nothing is launched.
    void setFileOpener(std::function<bool(const QString&)> opener);
    /// Where the close writes the thresholds and position; without one they
    /// only go into the context's settings.
    void setSettingsBackend(SettingsBackend* backend);

    /// The thresholds as typed in the four boxes.
    ThresholdTexts thresholds() const;
    /// "読取失敗 n件" and the failed sheets' labels, as a message (nothing
    /// when every sheet was read): the window's "読取失敗一覧" button.
    void showFailedSheets();
    /// The end of a run: one message with the doubled marks to check
    /// ("複数マークの疑い: n件 (F3で確認)") and the failed sheets; nothing
    /// when there is neither.
    void showRunSummary();
    /// A review option of the settings (10→0, several marks) changed:
    /// the table is re-coloured at once.
    void reviewOptionsChanged();
    /// The model under the grid (the benchmark counts its data() calls).
    ResultTableModel* model() const { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    QFrame* buildButtonFrame();
    QFrame* buildReviewBar();
    void fitButtonFrame(int frameWidth);
    QPushButton* addButton(QWidget* parent, const char* name, const QString& caption,
                           const QString& tip);
    QLineEdit* addThresholdBox(QWidget* parent, const char* name, const QString& tip);
    void connectButtons();
    void loadThresholdBoxes();
    void storeThresholdBoxes();
    void applyColumnWidths();
    void placeWindow();
    /// Height of the window frame's decoration (title bar and borders).
    int frameExtraHeight() const;
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

    // Gestures on the grid and the editor.
    bool gridKeyPress(QKeyEvent* event);
    void gridMouseRelease(QTableView* view, QMouseEvent* event);
    void gridMouseMove(QTableView* view, QMouseEvent* event);
    /// The grid or frozen view whose viewport `watched` is; null for others.
    QTableView* viewOfViewport(QObject* watched) const;
    bool editorKey(QKeyEvent* event);
    void openEditor(int row, int col, const std::optional<QString>& typed);
    void commitEditor();
    void cancelEditor();
    void showCrop(int row, int col);
    void openSheetImageOf(int row);
    void showCellStatus(int row, int col);
    bool scrollOneLine(QWheelEvent* event);
    void useOwnViewerAndRenameDialog();
    void setCurrentCell(int row, int col);

    // Buttons.
    void repaintTable();
    void showReviewStatus();
    void takeFirstSheet(bool asKey);
    void colourScores();
    void countAnswers();
    void saveTable();
    void resetThresholdBoxes();

    // Review aids.
    void goToDoubtful(ReviewDirection direction);
    void showDensity();

    AppContext& context_;
    Prompter& prompter_;
    RunFeedback& feedback_;
    std::unique_ptr<RunFeedback> ownStatus_;
    ResultTableModel* model_ = nullptr;
    QFrame* buttonFrame_ = nullptr;
    QBoxLayout* buttonRows_ = nullptr;
    QBoxLayout* thresholdRows_ = nullptr;
    QFrame* reviewBar_ = nullptr;
    FrozenGridView* grid_ = nullptr;
    QLineEdit* txtEdit_ = nullptr;
    QLineEdit* txtDest_ = nullptr;  ///< hidden: base name of the last output file
    QLineEdit* txtNoMarkValue_ = nullptr;
    QLineEdit* txtMarkValue_ = nullptr;
    QLineEdit* txtMultiValue_ = nullptr;
    QLineEdit* txtMultiRange_ = nullptr;
    QLabel* lblMultiValue_ = nullptr;
    QLabel* lblPlusMinus_ = nullptr;
    QLabel* lblHelp_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    int placedFrameExtra_ = 0;           ///< the frame height placeWindow() allowed for
    QPersistentModelIndex pressedCell_;  ///< where the last button went down
    int editRow_ = -1;
    int editCol_ = -1;
    bool editStartedByEnter_ = false;
    ImageViewer* imageViewer_ = nullptr;
    RenameDialog* renameDialog_ = nullptr;
    DensityWindow* densityWindow_ = nullptr;
    ReviewPass reviewPass_;
    AnalysisWindow* analysisWindow_ = nullptr;
    ImageViewerHooks viewer_;
    std::function<void()> openRename_;
    std::function<bool(const QString&)> fileOpener_;
    SettingsBackend* settingsBackend_ = nullptr;
};

}  // namespace tarrow
