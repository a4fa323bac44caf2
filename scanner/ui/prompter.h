// What the scanner's windows ask of the user through dialogs: warnings,
// yes/no questions, the folder browser and a choice from a list. The
// program answers with message boxes and Qt's dialogs (QtPrompter); window
// tests answer from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace fenwary {

/// Captions the program's message boxes carry.
inline const QString kProgramTitle = QStringLiteral(u"Velmora3  スキャンツール");
inline const QString kErrorCaption = QStringLiteral(u"エラー");
inline const QString kFailureCaption = QStringLiteral("Failure");

class Prompter {
public:
    virtual ~Prompter() = default;
    /// A warning with an OK button.
    virtual void warn(const QString& text, const QString& caption) = 0;
    /// A warning with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& caption) = 0;
    /// The folder browser; empty when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& start) = 0;
    /// One item of `items`; nullopt when cancelled.
    virtual std::optional<QString> chooseItem(const QString& title, const QString& label,
                                              const QStringList& items, int current) = 0;
    /// A warning offering kSaveElsewhere and "保存しない"; true for the
    /// first. By default a yes/no question.
    virtual bool offerSaveElsewhere(const QString& text, const QString& caption) {
        return askYesNo(text, caption);
    }
};

/// The button that saves kept pages in another folder.
inline const QString kSaveElsewhere = QStringLiteral(u"別のフォルダに保存…");

/// Message boxes and dialogs over `parent`.
class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* parent) : parent_(parent) {}
    void warn(const QString& text, const QString& caption) override;
    bool askYesNo(const QString& text, const QString& caption) override;
    QString chooseFolder(const QString& title, const QString& start) override;
    std::optional<QString> chooseItem(const QString& title, const QString& label,
                                      const QStringList& items, int current) override;
    bool offerSaveElsewhere(const QString& text, const QString& caption) override;

private:
    QWidget* parent_;
};

}  // namespace fenwary
