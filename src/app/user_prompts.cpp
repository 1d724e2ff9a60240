#include "app/user_prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace quiltmap::app {

void QtUserPrompts::showError(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtUserPrompts::showNotice(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

int QtUserPrompts::execModal(QDialog &dialog)
{
    return dialog.exec();
}

QString QtUserPrompts::chooseSaveFile(QWidget *parent, const SaveDialogSettings &settings)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Existing files are replaced without asking.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDirectory(settings.InitialDir);
    dialog.setDefaultSuffix(settings.DefaultExt);
    dialog.setNameFilter(settings.Filter);
    dialog.selectFile(settings.FileName);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace quiltmap::app
