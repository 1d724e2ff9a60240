#include "app/window_additions.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace quiltmap::app {

QString droppedFolder(const QMimeData &data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return {};
    const QFileInfo dropped(urls.first().toLocalFile());
    return dropped.isDir() ? dropped.absoluteFilePath() : dropped.absolutePath();
}

FolderDrops::FolderDrops(QWidget &window, std::function<void(const QString &)> take)
    : QObject(&window)
    , m_take(std::move(take))
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    for (QWidget *control : window.findChildren<QWidget *>())
        if (control->acceptDrops())
            control->installEventFilter(this);
}

bool FolderDrops::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event);
    const QString folder = droppedFolder(*drop->mimeData());
    if (folder.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, folder] { m_take(folder); }, Qt::QueuedConnection);
    return true;
}

namespace {

class EnabledFollower : public QObject
{
public:
    EnabledFollower(QAction &action, QWidget &control)
        : QObject(&action)
        , m_action(action)
    {
        action.setEnabled(control.isEnabled());
        control.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            m_action.setEnabled(static_cast<QWidget *>(watched)->isEnabled());
        return false;
    }

private:
    QAction &m_action;
};

} // namespace

void followEnabled(QAction &action, QWidget &control)
{
    new EnabledFollower(action, control);
}

QString previewToolTip(const sheet::SheetGeometry &geometry, const QStringList &names, QPoint at)
{
    if (geometry.cellWidth < 1 || geometry.cellHeight < 1 || geometry.columns < 1 || at.x() < 0
        || at.y() < 0)
        return {};
    const qint64 column = at.x() / geometry.cellWidth;
    const qint64 row = at.y() / geometry.cellHeight;
    const qint64 index = row * geometry.columns + column;
    if (column >= geometry.columns || index >= names.size())
        return {};
    // One pass over the placeholders, so a name with "%3" in it stays as it is.
    return QStringLiteral("Cell %1: %2\nColumn %3, row %4")
        .arg(
            QString::number(index), names.at(index), QString::number(column), QString::number(row));
}

} // namespace quiltmap::app
