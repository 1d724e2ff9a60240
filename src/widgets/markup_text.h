#pragma once

#include <QString>
#include <QStringView>

namespace quiltmap::widgets {

// The markup after the whole-text rewrites that come before layout.
struct PreparedMarkup
{
    QString text;
    // On unless the text holds " & ": ampersands then mark underlined characters.
    bool prefix = true;
};

// Decides prefix mode, replaces the character entities (sweeping until nothing changes), turns
// "<#...>" into "#...", carriage returns into "<BR>" and drops line feeds.
PreparedMarkup prepareMarkup(QString text);

// The entities replaced inside each text run only: "&nbsp;", "&lt;", "&gt;".
QString replaceRunEntities(QStringView run);

// Removes characters up to U+0020 from both ends.
QStringView trimControls(QStringView text);

// Letters a to z as A to Z; every other character as it is.
QChar asciiUpper(QChar c);
QString asciiUpper(QStringView text);

} // namespace quiltmap::widgets
