#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace quiltmap::app {

// What the save dialog is set up with before it is shown.
struct SaveDialogSettings
{
    QString InitialDir;
    QString FileName;
    QString DefaultExt = QStringLiteral("png");
    QString Filter = QStringLiteral("*.png");
};

// Everything that waits for the user: message boxes, modal dialogs and the save dialog. The
// windows reach the user only through this, so tests can answer in place of a person.
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    // A modal box with an error icon.
    virtual void showError(QWidget *parent, const QString &caption, const QString &text) = 0;
    // A modal box with one line of text and an OK button.
    virtual void showNotice(QWidget *parent, const QString &caption, const QString &text) = 0;
    // Shows the dialog modally and returns its result (1 for OK, 2 for the close command).
    virtual int execModal(QDialog &dialog) = 0;
    // The full path the user chose, or an empty text when the dialog was cancelled.
    virtual QString chooseSaveFile(QWidget *parent, const SaveDialogSettings &settings) = 0;
};

// The real boxes and dialogs.
class QtUserPrompts final : public UserPrompts
{
public:
    void showError(QWidget *parent, const QString &caption, const QString &text) override;
    void showNotice(QWidget *parent, const QString &caption, const QString &text) override;
    int execModal(QDialog &dialog) override;
    QString chooseSaveFile(QWidget *parent, const SaveDialogSettings &settings) override;
};

} // namespace quiltmap::app
