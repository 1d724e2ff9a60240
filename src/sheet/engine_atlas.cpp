#include "sheet/engine_atlas.h"

#include "sheet/json_text.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

QString number(std::int64_t value)
{
    return QString::number(value);
}

// {"x": 1, "y": 2, ...} on one line, in the order given.
QString jsonPairs(std::initializer_list<std::pair<const char *, QString>> fields)
{
    QStringList parts;
    for (const auto &[name, value] : fields)
        parts.append(u'"' + QLatin1StringView(name) + QStringLiteral("\": ") + value);
    return u'{' + parts.join(QStringLiteral(", ")) + u'}';
}

QString frameEntry(const QString &key, const AtlasTile &tile, const AtlasPage &page)
{
    const QString w = number(page.cellWidth);
    const QString h = number(page.cellHeight);
    return QStringLiteral("        ") + jsonString(key) + QStringLiteral(": {\n")
        + QStringLiteral("            \"frame\": ")
        + jsonPairs({ { "x", number(tile.x) }, { "y", number(tile.y) }, { "w", w }, { "h", h } })
        + QStringLiteral(",\n            \"rotated\": false,\n            \"trimmed\": false,\n")
        + QStringLiteral("            \"spriteSourceSize\": ")
        + jsonPairs({ { "x", u"0"_s }, { "y", u"0"_s }, { "w", w }, { "h", h } })
        + QStringLiteral(",\n            \"sourceSize\": ") + jsonPairs({ { "w", w }, { "h", h } })
        + QStringLiteral("\n        }");
}

// An XML attribute value: markup characters as entities, line breaks and tabs as character
// references so that they survive, and other control characters, which XML cannot hold, as
// U+FFFD.
QString xmlAttribute(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += QStringLiteral("&amp;");
            break;
        case u'<':
            escaped += QStringLiteral("&lt;");
            break;
        case u'>':
            escaped += QStringLiteral("&gt;");
            break;
        case u'"':
            escaped += QStringLiteral("&quot;");
            break;
        case u'\t':
        case u'\n':
        case u'\r':
            escaped += QStringLiteral("&#%1;").arg(c.unicode());
            break;
        default:
            escaped += c.unicode() < 0x20 ? QChar(0xFFFD) : c;
        }
    }
    return u'"' + escaped + u'"';
}

// How many cells of `cell` pixels Tiled slices from `side`: it skips the margin before the
// first cell only, so a wide margin or padding can give it a column or row beyond ours.
std::int64_t cellsAcross(std::int64_t side, int cell, const AtlasPage &page)
{
    return std::max<std::int64_t>(0, (side - page.margin + page.spacing) / (cell + page.spacing));
}

} // namespace

QStringList uniqueFrameKeys(const QStringList &names)
{
    QSet<QString> taken(names.begin(), names.end());
    QSet<QString> used;
    QHash<QString, int> seen;
    QStringList keys;
    for (const QString &name : names) {
        QString key = name;
        if (used.contains(name)) {
            int &count = seen[name];
            do
                key = name + u'~' + QString::number(++count + 1);
            while (taken.contains(key) || used.contains(key));
        }
        used.insert(key);
        keys.append(key);
    }
    return keys;
}

QByteArray phaserAtlas(const AtlasPage &page, const QString &version)
{
    QStringList names;
    for (const AtlasTile &tile : page.tiles)
        names.append(tile.name);
    const QStringList keys = uniqueFrameKeys(names);
    QStringList frames;
    for (qsizetype i = 0; i < page.tiles.size(); ++i)
        frames.append(frameEntry(keys[i], page.tiles[i], page));
    const QString meta = QStringLiteral("    \"meta\": {\n        \"app\": \"quiltmap\",\n")
        + QStringLiteral("        \"version\": ") + jsonString(version)
        + QStringLiteral(",\n        \"image\": ") + jsonString(page.image)
        + QStringLiteral(",\n        \"format\": \"RGBA8888\",\n        \"size\": ")
        + jsonPairs({ { "w", number(page.width) }, { "h", number(page.height) } })
        + QStringLiteral(",\n        \"scale\": \"1\"\n    }\n");
    const QString body = frames.isEmpty()
        ? QStringLiteral("{}")
        : u"{\n"_s + frames.join(QStringLiteral(",\n")) + QStringLiteral("\n    }");
    return (QStringLiteral("{\n    \"frames\": ") + body + QStringLiteral(",\n") + meta
        + QStringLiteral("}\n"))
        .toUtf8();
}

QByteArray tiledTileset(const AtlasPage &page)
{
    const std::int64_t columns = cellsAcross(page.width, page.cellWidth, page);
    const std::int64_t rows = cellsAcross(page.height, page.cellHeight, page);
    QString text = QStringLiteral(
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tileset version=\"1.8\" name=")
        + xmlAttribute(page.name)
        + QStringLiteral(" tilewidth=\"%1\" tileheight=\"%2\" spacing=\"%3\" margin=\"%4\" "
                         "tilecount=\"%5\" columns=\"%6\">\n")
              .arg(page.cellWidth)
              .arg(page.cellHeight)
              .arg(page.spacing)
              .arg(page.margin)
              .arg(columns * rows)
              .arg(columns)
        + QStringLiteral(" <image source=") + xmlAttribute(page.image)
        + QStringLiteral(" width=\"%1\" height=\"%2\"/>\n").arg(page.width).arg(page.height);
    const std::int64_t stepX = std::int64_t(page.cellWidth) + page.spacing;
    const std::int64_t stepY = std::int64_t(page.cellHeight) + page.spacing;
    for (const AtlasTile &tile : page.tiles) {
        const std::int64_t id
            = (tile.y - page.margin) / stepY * columns + (tile.x - page.margin) / stepX;
        text += QStringLiteral(
                    " <tile id=\"%1\">\n  <properties>\n   <property name=\"name\" value=")
                    .arg(id)
            + xmlAttribute(tile.name) + QStringLiteral("/>\n  </properties>\n </tile>\n");
    }
    return (text + QStringLiteral("</tileset>\n")).toUtf8();
}

} // namespace quiltmap::sheet
