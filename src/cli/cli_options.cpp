#include "cli/cli_options.h"

#include <QCommandLineParser>

namespace quiltmap::cli {

using namespace Qt::StringLiterals;

namespace {

// "48x32" gives "48" and "32". The texts then convert as the numeric fields do; the split is at
// the first "x" after the first character, so that "x30" stays a width text.
bool splitCell(const QString &text, CliOptions &options)
{
    const qsizetype x = text.indexOf(u'x', 1, Qt::CaseInsensitive);
    if (x < 0)
        return false;
    options.cellWidth = text.left(x);
    options.cellHeight = text.mid(x + 1);
    return true;
}

QCommandLineOption valueOption(const QStringList &names, const char *valueName)
{
    return QCommandLineOption(names, QString(), QString::fromLatin1(valueName));
}

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Usage: quiltmap [OPTION]... FOLDER\n"
        "Composes the *.jpg, *.png and *.bmp files of FOLDER (each read as PNG) into one sheet\n"
        "and writes BASE.png and the tile names to BASE.txt.\n"
        "\n"
        "Cells:\n"
        "  -c, --cell WxH          cell width and height (default: the size of the first file)\n"
        "  -n, --columns N         tiles per row (default: 25)\n"
        "\n"
        "Output:\n"
        "  -o, --output BASE       output name without extension (default: QuiltMap)\n"
        "  -q, --quiet             print nothing but errors\n"
        "\n"
        "Information:\n"
        "  -h, --help              show this text\n"
        "  -V, --version           show the version\n"
        "\n"
        "Exit status: 0 success, 1 failure, 2 usage error.\n");
}

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    const QCommandLineOption cellOption = valueOption({ u"c"_s, u"cell"_s }, "WxH");
    const QCommandLineOption columnsOption = valueOption({ u"n"_s, u"columns"_s }, "N");
    const QCommandLineOption outputOption = valueOption({ u"o"_s, u"output"_s }, "BASE");
    const QCommandLineOption quietOption(QStringList { u"q"_s, u"quiet"_s });
    const QCommandLineOption helpOption(QStringList { u"h"_s, u"help"_s });
    const QCommandLineOption versionOption(QStringList { u"V"_s, u"version"_s });
    QCommandLineParser parser;
    parser.addOptions(
        { cellOption, columnsOption, outputOption, quietOption, helpOption, versionOption });
    ParsedCommandLine result;
    CliOptions &options = result.options;
    if (!parser.parse(QStringList { QStringLiteral("quiltmap") } + arguments)) {
        result.usageError = parser.errorText();
        return result;
    }
    if (parser.isSet(helpOption)) {
        options.action = CliOptions::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(versionOption)) {
        options.action = CliOptions::Action::ShowVersion;
        return result;
    }
    if (parser.isSet(cellOption) && !splitCell(parser.value(cellOption), options)) {
        result.usageError = QStringLiteral("--cell expects WIDTHxHEIGHT, not \"%1\".")
                                .arg(parser.value(cellOption));
        return result;
    }
    if (parser.isSet(columnsOption))
        options.columns = parser.value(columnsOption);
    if (parser.isSet(outputOption))
        options.output = parser.value(outputOption);
    options.quiet = parser.isSet(quietOption);
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 1)
        result.usageError = folders.isEmpty() ? QStringLiteral("No FOLDER given.")
                                              : QStringLiteral("Only one FOLDER may be given.");
    else
        options.folder = folders.front();
    return result;
}

} // namespace quiltmap::cli
