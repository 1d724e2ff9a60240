#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quiltmap::cli {

// One option of the command, as the parser, --help, the manual page and the completion know it.
struct OptionEntry
{
    // The heading --help lists it under.
    QString group;
    // A one-letter name first where there is one, then the long name.
    QStringList names;
    // What its value is called in --help; empty for an option without a value.
    QString valueName;
    // The fixed words the value may be (the rest of the value is typed), for the completion.
    QStringList words;
    // Its lines in --help, each at most 52 characters.
    QStringList help;

    QString longName() const { return names.back(); }
};

// Every option, in the order --help lists them.
const QList<OptionEntry> &optionTable();

// The text of --help, made from the table.
QString usageText();

} // namespace quiltmap::cli
