#include "sheet/grid_data.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quiltmap::sheet {
namespace {

QJsonObject sheetObject(const GridSheet &sheet)
{
    return {
        { QStringLiteral("width"), qint64(sheet.width) },
        { QStringLiteral("height"), qint64(sheet.height) },
        { QStringLiteral("cellWidth"), sheet.cellWidth },
        { QStringLiteral("cellHeight"), sheet.cellHeight },
        { QStringLiteral("columns"), sheet.columns },
        { QStringLiteral("rows"), qint64(sheet.rows) },
        { QStringLiteral("count"), sheet.count },
        { QStringLiteral("spacing"), sheet.spacing },
        { QStringLiteral("margin"), sheet.margin },
        { QStringLiteral("background"), sheet.background },
    };
}

QJsonObject tileObject(const GridTile &tile)
{
    return {
        { QStringLiteral("index"), tile.index },
        { QStringLiteral("name"), tile.name },
        { QStringLiteral("file"), tile.file },
        { QStringLiteral("column"), qint64(tile.column) },
        { QStringLiteral("row"), qint64(tile.row) },
        { QStringLiteral("x"), qint64(tile.x) },
        { QStringLiteral("y"), qint64(tile.y) },
        { QStringLiteral("width"), tile.width },
        { QStringLiteral("height"), tile.height },
        { QStringLiteral("clipped"), tile.clipped },
    };
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n')
        && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QByteArray gridJson(const GridSheet &sheet, const QList<GridTile> &tiles)
{
    QJsonArray tileArray;
    for (const GridTile &tile : tiles)
        tileArray.append(tileObject(tile));
    const QJsonObject root { { QStringLiteral("sheet"), sheetObject(sheet) },
        { QStringLiteral("tiles"), tileArray } };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray gridCsv(const QList<GridTile> &tiles)
{
    QString text = QStringLiteral("index,name,file,column,row,x,y,width,height,clipped\r\n");
    for (const GridTile &t : tiles)
        text += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,")
                    .arg(QString::number(t.index), csvField(t.name), csvField(t.file),
                        QString::number(t.column), QString::number(t.row), QString::number(t.x),
                        QString::number(t.y), QString::number(t.width), QString::number(t.height))
            + (t.clipped ? QStringLiteral("true\r\n") : QStringLiteral("false\r\n"));
    return text.toUtf8();
}

} // namespace quiltmap::sheet
