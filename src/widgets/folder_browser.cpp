#include "widgets/folder_browser.h"

#include "widgets/placement.h"

#include <QEvent>
#include <QFileDialog>
#include <QScreen>

namespace quiltmap::widgets {

namespace {

// Moves the dialog below the field the moment it is shown, without changing its size.
class PlaceBelowField : public QObject
{
public:
    PlaceBelowField(QWidget *field, QWidget *dialog)
        : m_field(field)
        , m_dialog(dialog)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_dialog && event->type() == QEvent::Show) {
            // The field's client area starts inside its 2-pixel border.
            const QPoint below = m_field->mapToGlobal(QPoint(2, 2 + m_field->height()));
            const QScreen *screen = m_field->screen();
            m_dialog->move(browseDialogPosition(
                below, m_dialog->frameGeometry().size(), screen->availableGeometry()));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *m_field;
    QWidget *m_dialog;
};

class QtFolderBrowser : public FolderBrowser
{
public:
    std::optional<QString> browse(
        QWidget *field, const QString &startFolder, const QString &title) override
    {
        QFileDialog dialog(field->window(), title, startFolder);
        dialog.setFileMode(QFileDialog::Directory);
        // ReadOnly removes the new-folder button; the non-native dialog can be placed.
        dialog.setOptions(
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
        const PlaceBelowField placement(field, &dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
};

} // namespace

std::unique_ptr<FolderBrowser> makeQtFolderBrowser()
{
    return std::make_unique<QtFolderBrowser>();
}

} // namespace quiltmap::widgets
