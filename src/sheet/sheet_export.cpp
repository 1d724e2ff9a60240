#include "sheet/sheet_export.h"

#include "common/error.h"
#include "common/windows1252.h"
#include "sheet/output_file.h"
#include "sheet/png_writer.h"

#include <QIODevice>
#include <algorithm>
#include <thread>
#include <utility>

namespace quiltmap::sheet {

QString changeExtension(const QString &path, const QString &extension)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > 0 && dot > path.lastIndexOf(u'/'))
        return path.left(dot) + extension;
    return path + extension;
}

namespace {

// The length of a name-list line without its trailing characters up to U+0020.
qsizetype trimmedLength(QStringView line)
{
    qsizetype end = line.size();
    while (end > 0 && line[end - 1].unicode() <= 0x20)
        --end;
    return end;
}

} // namespace

QString trimNameLine(const QString &line)
{
    return line.left(trimmedLength(line));
}

QString trimNameText(const QString &text)
{
    const auto lines = QStringView(text).tokenize(u'\n');
    const auto anyTrimmed = [&] {
        for (const QStringView line : lines)
            if (trimmedLength(line) != line.size())
                return true;
        return false;
    };
    if (!anyTrimmed())
        return text;
    QString trimmed;
    trimmed.reserve(text.size());
    bool first = true;
    for (const QStringView line : lines) {
        if (!std::exchange(first, false))
            trimmed += u'\n';
        trimmed += line.left(trimmedLength(line));
    }
    return trimmed;
}

QByteArray encodeNameText(QStringView text)
{
    QByteArray bytes;
    if (text.isEmpty())
        return bytes;
    bytes.reserve(text.size() + 2 * text.count(u'\n') + 2);
    for (const QStringView line : text.tokenize(u'\n'))
        appendNameLine(bytes, line);
    return bytes;
}

void appendNameLine(QByteArray &bytes, QStringView line)
{
    appendWindows1252(bytes, line);
    bytes += "\r\n";
}

unsigned processorCount()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

namespace {

template<typename Sheet>
QString exportImage(Sheet &sheet, const QString &chosenPath, unsigned threads)
{
    if (sheet.width() == 0 || sheet.height() == 0)
        throw Error(
            QStringLiteral("Ein Bild mit %1 x %2 Pixeln kann nicht als PNG gespeichert werden")
                .arg(sheet.width())
                .arg(sheet.height()),
            { .code = ErrorCode::EmptySheet, .width = sheet.width(), .height = sheet.height() });
    const QString image = changeExtension(chosenPath, QStringLiteral(".png"));
    writeOutputFile(image, [&](QIODevice &out) { return writeSheetPng(sheet, out, threads); });
    return image;
}

} // namespace

QString exportSheetImage(SheetRows &sheet, const QString &chosenPath, unsigned threads)
{
    return exportImage(sheet, chosenPath, threads);
}

QString exportSheetImage(const Raster &sheet, const QString &chosenPath, unsigned threads)
{
    return exportImage(sheet, chosenPath, threads);
}

QString exportNameText(const QByteArray &text, const QString &chosenPath)
{
    const QString nameList = changeExtension(chosenPath, QStringLiteral(".txt"));
    writeOutputFile(nameList, [&](QIODevice &out) { return out.write(text) == text.size(); });
    return nameList;
}

ExportedFiles exportSheet(
    const Raster &sheet, QStringView nameText, const QString &chosenPath, unsigned threads)
{
    const QString image = exportImage(sheet, chosenPath, threads);
    return { image, exportNameText(encodeNameText(nameText), chosenPath) };
}

} // namespace quiltmap::sheet
