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

qint64 cellIndexAt(
    const sheet::SheetGeometry &geometry, const sheet::SheetLayout &layout, QPoint at)
{
    const qint64 pitchX = qint64(geometry.cellWidth) + layout.spacing;
    const qint64 pitchY = qint64(geometry.cellHeight) + layout.spacing;
    const qint64 x = qint64(at.x()) - layout.margin;
    const qint64 y = qint64(at.y()) - layout.margin;
    if (geometry.cellWidth < 1 || geometry.cellHeight < 1 || geometry.columns < 1 || x < 0 || y < 0
        || x % pitchX >= geometry.cellWidth || y % pitchY >= geometry.cellHeight)
        return -1;
    const qint64 column = x / pitchX;
    return column < geometry.columns ? y / pitchY * geometry.columns + column : -1;
}

QString previewToolTip(const sheet::SheetGeometry &geometry, const QStringList &names, QPoint at,
    const sheet::SheetLayout &layout)
{
    const qint64 index = cellIndexAt(geometry, layout, at);
    if (index < 0 || index >= names.size())
        return {};
    // One pass over the placeholders, so a name with "%3" in it stays as it is.
    return QStringLiteral("Cell %1: %2\nColumn %3, row %4")
        .arg(QString::number(index), names.at(index), QString::number(index % geometry.columns),
            QString::number(index / geometry.columns));
}

int nextZoom(int percent, int steps)
{
    if (steps > 0) {
        for (const int step : zoomSteps)
            if (step > percent)
                return step;
        return std::end(zoomSteps)[-1];
    }
    for (auto step = std::rbegin(zoomSteps); step != std::rend(zoomSteps); ++step)
        if (*step < percent)
            return *step;
    return zoomSteps[0];
}

QPoint scrollKeepingPoint(QPoint scroll, QPoint anchor, QPoint origin, int from, int to)
{
    const QPointF content = QPointF(scroll + anchor - origin) * to / from;
    return (content + origin - anchor).toPoint();
}

} // namespace quiltmap::app
