#include "sheet/grid_data.h"

#include "sheet/json_text.h"

#include <utility>

namespace quiltmap::sheet {
namespace {

// Fields in the order they are written, each a name and its JSON text. Written by hand rather
// than through QJsonObject: a sheet of 20000 tiles would spend most of its data time there, and
// the fields keep the documented order.
using JsonFields = QList<std::pair<const char *, QString>>;

QString jsonObject(const JsonFields &fields, const QString &indent)
{
    QString text(u'{');
    const char *separator = "\n";
    for (const auto &[name, value] : fields) {
        text += QLatin1StringView(separator) + indent + QStringLiteral("    \"")
            + QLatin1StringView(name) + QStringLiteral("\": ") + value;
        separator = ",\n";
    }
    return text + u'\n' + indent + u'}';
}

QString number(std::int64_t value)
{
    return QString::number(value);
}

QString sheetObject(const GridSheet &sheet)
{
    JsonFields fields { { "width", number(sheet.width) }, { "height", number(sheet.height) },
        { "cellWidth", number(sheet.cellWidth) }, { "cellHeight", number(sheet.cellHeight) },
        { "columns", number(sheet.columns) }, { "rows", number(sheet.rows) },
        { "count", number(sheet.count) }, { "spacing", number(sheet.spacing) },
        { "margin", number(sheet.margin) }, { "background", jsonString(sheet.background) } };
    if (sheet.pages > 0)
        fields.append({ "pages", number(sheet.pages) });
    return jsonObject(fields, QStringLiteral("    "));
}

QString tileObject(const GridTile &tile)
{
    JsonFields fields { { "index", number(tile.index) }, { "name", jsonString(tile.name) },
        { "file", jsonString(tile.file) }, { "column", number(tile.column) },
        { "row", number(tile.row) }, { "x", number(tile.x) }, { "y", number(tile.y) },
        { "width", number(tile.width) }, { "height", number(tile.height) },
        { "clipped", tile.clipped ? QStringLiteral("true") : QStringLiteral("false") } };
    if (tile.page > 0)
        fields.insert(1, { "page", number(tile.page) });
    return jsonObject(fields, QStringLiteral("        "));
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
    QString text = QStringLiteral("{\n    \"sheet\": ") + sheetObject(sheet)
        + QStringLiteral(",\n    \"tiles\": [");
    const char *separator = "\n        ";
    for (const GridTile &tile : tiles) {
        text += QLatin1StringView(separator) + tileObject(tile);
        separator = ",\n        ";
    }
    text += tiles.isEmpty() ? QStringLiteral("]\n}\n") : QStringLiteral("\n    ]\n}\n");
    return text.toUtf8();
}

QByteArray gridCsv(const QList<GridTile> &tiles, bool paged)
{
    QString text = paged
        ? QStringLiteral("index,page,name,file,column,row,x,y,width,height,clipped\r\n")
        : QStringLiteral("index,name,file,column,row,x,y,width,height,clipped\r\n");
    for (const GridTile &t : tiles)
        text += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,")
                    .arg(QString::number(t.index)
                            + (paged ? u',' + QString::number(t.page) : QString()),
                        csvField(t.name), csvField(t.file), QString::number(t.column),
                        QString::number(t.row), QString::number(t.x), QString::number(t.y),
                        QString::number(t.width), QString::number(t.height))
            + (t.clipped ? QStringLiteral("true\r\n") : QStringLiteral("false\r\n"));
    return text.toUtf8();
}

} // namespace quiltmap::sheet
