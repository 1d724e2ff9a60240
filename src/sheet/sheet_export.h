#pragma once

#include "sheet/raster.h"
#include "sheet/sheet_rows.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace quiltmap::sheet {

// Replaces the extension of a path: from the last "." when that comes after the last "/" and
// is not the path's first character; otherwise `extension` is appended. `extension` includes
// its dot.
QString changeExtension(const QString &path, const QString &extension);

// A name-list line as it is saved: without its trailing characters up to U+0020.
QString trimNameLine(const QString &line);
// The same for each line of a name-list text, lines separated by '\n'; the text itself when no
// line changes. The GUI puts the returned text back into its name-list control.
QString trimNameText(const QString &text);

// The name-list file's bytes of a name-list text (lines separated by '\n', none in an empty
// text): every line in Windows-1252 followed by CR LF, no byte-order mark. A character the code
// page lacks becomes its base letter when it has one ("ā" gives "a"), otherwise "?".
QByteArray encodeNameText(QStringView text);
// One line of those bytes, CR LF included, appended to `bytes`.
void appendNameLine(QByteArray &bytes, QStringView line);

// The processors this machine offers, at least 1: the default thread count of an export.
unsigned processorCount();

struct ExportedFiles
{
    QString image;
    QString nameList;
};

// Saves the sheet under `chosenPath` with the extension ".png" and then the (already trimmed)
// name-list text under the extension ".txt". Each file is replaced atomically, so a failed write
// leaves the previous file as it was. Throws quiltmap::Error "Datei "<path>" kann nicht erstellt
// werden. <reason>" for the first file that cannot be written; when the image fails, the name
// list is not written. Read-only files and folders are refused, even for root. An empty sheet,
// which PNG cannot hold, throws quiltmap::Error "Ein Bild mit <w> x <h> Pixeln kann nicht als
// PNG gespeichert werden" before any file is touched. The image is compressed on `threads`
// threads; the file is the same for any count.
ExportedFiles exportSheet(const Raster &sheet, QStringView nameText, const QString &chosenPath,
    unsigned threads = processorCount());

// The two halves of exportSheet, for a caller that writes the image while the sheet is still
// being drawn: the image file from the rows as they become final (exportSheet's errors, and
// what reading a row throws), or from a sheet already drawn; then the name list.
QString exportSheetImage(SheetRows &sheet, const QString &chosenPath, unsigned threads);
QString exportSheetImage(const Raster &sheet, const QString &chosenPath, unsigned threads);
// The name list from its bytes, for a caller that encodes line by line.
QString exportNameText(const QByteArray &text, const QString &chosenPath);

} // namespace quiltmap::sheet
