// The result window's grid gestures (keys, clicks, the wheel, the status
// line of the cell under the mouse) and its in-place editor.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>

#include "common/qt/desktop_open.h"
#include "reader/core/table_edits.h"
#include "reader/ui/frozen_grid_view.h"
#include "reader/ui/image_viewer.h"
#include "reader/ui/result_table_model.h"
#include "reader/ui/result_window.h"

namespace tarrow {

using namespace Qt::StringLiterals;

namespace {

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isEditStartKey(const QString& text) {
    return text.size() == 1 && (text.front().isDigit() || text == u"+"_s || text == u"-"_s) &&
           text.front().unicode() < 0x80;
}

}  // namespace

// ------------------------------------------------------------ grid events

bool ResultWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!grid_ || !txtEdit_) return QWidget::eventFilter(watched, event);  // still building
    const QEvent::Type type = event->type();
    if (watched == grid_ && type == QEvent::KeyPress) {
        return gridKeyPress(static_cast<QKeyEvent*>(event));
    }
    if (QTableView* view = viewOfViewport(watched)) {
        if (type == QEvent::MouseButtonPress) {
            pressedCell_ = view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        }
        if (type == QEvent::MouseButtonRelease) {
            gridMouseRelease(view, static_cast<QMouseEvent*>(event));
        }
        if (type == QEvent::MouseMove) gridMouseMove(view, static_cast<QMouseEvent*>(event));
        if (type == QEvent::Wheel) return scrollOneLine(static_cast<QWheelEvent*>(event));
        return false;
    }
    if (watched == txtEdit_ && (type == QEvent::KeyPress || type == QEvent::KeyRelease)) {
        return editorKey(static_cast<QKeyEvent*>(event));
    }
    if (type == QEvent::KeyRelease && isEnterKey(static_cast<QKeyEvent*>(event)->key()) &&
        (watched == txtNoMarkValue_ || watched == txtMarkValue_ || watched == txtMultiValue_ ||
         watched == txtMultiRange_)) {
        repaintTable();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QTableView* ResultWindow::viewOfViewport(QObject* watched) const {
    if (watched == grid_->viewport()) return grid_;
    for (QTableView* frozen : grid_->frozenViews()) {
        if (watched == frozen->viewport()) return frozen;
    }
    return nullptr;
}

bool ResultWindow::gridKeyPress(QKeyEvent* event) {
    const QModelIndex current = grid_->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int col = current.isValid() ? current.column() : -1;
    const ResultTable& table = context_.table;
    const bool sheetQuestion = table.isSheetRow(row) && table.isQuestionColumn(col);
    switch (event->key()) {
        case Qt::Key_Space:
            if (sheetQuestion) showCrop(row, col);
            return true;
        case Qt::Key_Backspace:
            if (confirmClearOnBackspace(table, row, col, prompter_) == ClearResult::Confirmed) {
                model_->setData(current, QVariant(), ResultTableModel::ClearRole);
            }
            return true;
        case Qt::Key_Escape:
            hideImageViewer();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (canEditInPlace(table, row, col)) {
                editStartedByEnter_ = true;
                openEditor(row, col, std::nullopt);
            }
            return true;
        default:
            break;
    }
    if (isEditStartKey(event->text()) && canEditInPlace(table, row, col)) {
        editStartedByEnter_ = false;
        openEditor(row, col, event->text());
        return true;
    }
    return false;
}

void ResultWindow::gridMouseRelease(QTableView* view, QMouseEvent* event) {
    cancelEditor();
    // The cell pressed, not the one under the pointer now: the press may
    // have scrolled a partly hidden column into view, moving the cells
    // under a still pointer.
    const QModelIndex index = pressedCell_.isValid() ? QModelIndex(pressedCell_)
                                                     : view->indexAt(event->position().toPoint());
    pressedCell_ = QPersistentModelIndex();
    if (!index.isValid()) return;
    const int row = index.row();
    const int col = index.column();
    // The clicked cell is on screen: moving to it must not scroll the grid
    // under the pointer before the dialog it opens.
    grid_->setAutoScroll(false);
    grid_->setCurrentIndex(index);
    grid_->setAutoScroll(true);
    ResultTable& table = context_.table;
    const bool sheetRow = row >= ResultTable::kFirstSheetRow;
    if (row == ResultTable::kHeaderRow || (col == 0 && !sheetRow)) return;
    if (col == 0) openSheetImageOf(row);
    if (row >= table.rows() || col > table.questionCount()) return;
    if (event->modifiers() & Qt::ShiftModifier) {
        if (sheetRow && confirmClearOnShiftClick(table, row, col, prompter_, *ownStatus_) ==
                            ClearResult::Confirmed) {
            model_->setData(index, QVariant(), ResultTableModel::ClearRole);
        }
        return;
    }
    if (event->button() == Qt::RightButton) {
        // Each cell through the model, as a typed value is: the views hear
        // of every cell written.
        if (const auto answer = askInputDialog(table, row, col, prompter_, *ownStatus_)) {
            for (const InputDialogCell& cell : answer->cells) {
                model_->setData(model_->index(answer->row, cell.col), cell.text,
                                ResultTableModel::InputPartRole);
            }
        }
        return;
    }
    if (sheetRow && col >= 1 && event->button() == Qt::LeftButton) showCrop(row, col);
}

void ResultWindow::gridMouseMove(QTableView* view, QMouseEvent* event) {
    const QModelIndex index = view->indexAt(event->position().toPoint());
    if (index.isValid()) showCellStatus(index.row(), index.column());
}

bool ResultWindow::scrollOneLine(QWheelEvent* event) {
    // One row per wheel step, up when the wheel turns away from the user.
    const int delta = event->angleDelta().y();
    if (delta == 0) return false;
    grid_->verticalScrollBar()->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub
                                                        : QAbstractSlider::SliderSingleStepAdd);
    event->accept();
    return true;
}

void ResultWindow::showCellStatus(int row, int col) {
    const std::optional<QString> text = cellStatusText(context_.table, row, col, thresholds());
    if (text) lblStatus_->setText(*text);
}

void ResultWindow::setCurrentCell(int row, int col) {
    const QModelIndex index = model_->index(row, col);
    if (!index.isValid()) return;
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
}

void ResultWindow::showCrop(int row, int col) {
    if (viewer_.showImage) viewer_.showImage(row, col);
    raise();
    activateWindow();
    grid_->setFocus();
}

void ResultWindow::openSheetImageOf(int row) {
    const ResultTable& table = context_.table;
    const int sheet = ResultTable::sheetOfRow(row);
    const QString path =
        sheet >= 1 && sheet <= table.sheetCount() ? table.sheetPath(sheet) : QString();
    const QString problem = velmora::openWithDesktop(path, fileOpener_);
    if (!problem.isEmpty()) prompter_.message(problem, Prompter::Icon::Warning);
}

// ------------------------------------------------------- in-place editor

void ResultWindow::openEditor(int row, int col, const std::optional<QString>& typed) {
    const std::optional<QString> start = openInPlaceEditor(context_.table, row, col, typed);
    if (!start) return;
    const QModelIndex index = model_->index(row, col);
    grid_->scrollTo(index);
    // Over the cell where it is drawn: a frozen view for the key and points
    // rows.
    const QTableView* shownIn = grid_->viewShowing(row, col);
    const QRect cell = shownIn->visualRect(index);
    const QPoint topLeft = shownIn->viewport()->mapTo(this, cell.topLeft());
    editRow_ = row;
    editCol_ = col;
    txtEdit_->setGeometry(QRect(topLeft, cell.size()));
    txtEdit_->setText(*start);
    txtEdit_->show();
    txtEdit_->raise();
    txtEdit_->setFocus();
    if (typed) {
        txtEdit_->deselect();
        txtEdit_->setCursorPosition(int(start->size()));
    } else {
        txtEdit_->selectAll();
    }
}

bool ResultWindow::editorKey(QKeyEvent* event) {
    const int key = event->key();
    if (event->type() == QEvent::KeyPress) {
        // Enter and Escape act on key-up; their key-down is swallowed.
        return isEnterKey(key) || key == Qt::Key_Escape;
    }
    if (event->isAutoRepeat()) return false;
    if (isEnterKey(key)) {
        if (editStartedByEnter_) {
            editStartedByEnter_ = false;
        } else {
            commitEditor();
        }
        return true;
    }
    if (key == Qt::Key_Escape) {
        cancelEditor();
        grid_->setFocus();
        return true;
    }
    return false;
}

void ResultWindow::commitEditor() {
    if (!txtEdit_->isVisible()) return;
    txtEdit_->hide();
    model_->setData(model_->index(editRow_, editCol_), txtEdit_->text());
    setCurrentCell(editRow_, columnAfterEdit(context_.table, editCol_));
    grid_->setFocus();
    editRow_ = editCol_ = -1;
}

void ResultWindow::cancelEditor() {
    editStartedByEnter_ = false;
    if (!txtEdit_->isVisible()) return;
    txtEdit_->hide();
    editRow_ = editCol_ = -1;
}

}  // namespace tarrow
