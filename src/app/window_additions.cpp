#include "app/window_additions.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace quiltmap::app {

QString droppedFolder(const QMimeData &data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return {};
    const QFileInfo dropped(urls.first().toLocalFile());
    return dropped.isDir() ? dropped.absoluteFilePath() : dropped.absolutePath();
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
