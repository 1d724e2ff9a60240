#include "cli/cli_options.h"

#include <QCommandLineParser>

namespace quiltmap::cli {
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

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Usage: quiltmap [--cell WxH] [--columns N] [--output BASE] [--quiet] FOLDER\n"
        "Composes the *.jpg, *.png and *.bmp files of FOLDER (each read as PNG) into one sheet\n"
        "and writes BASE.png and the tile names to BASE.txt.\n"
        "\n"
        "  --cell WxH      cell width and height (default: the size of the first file)\n"
        "  --columns N     tiles per row (default: 25)\n"
        "  --output BASE   output name without extension (default: QuiltMap)\n"
        "  --quiet         print nothing but errors\n"
        "  --help          show this text\n"
        "  --version       show the version\n");
}

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    const QCommandLineOption cellOption(QStringLiteral("cell"), QString(), QStringLiteral("WxH"));
    const QCommandLineOption columnsOption(
        QStringLiteral("columns"), QString(), QStringLiteral("N"));
    const QCommandLineOption outputOption(
        QStringLiteral("output"), QString(), QStringLiteral("BASE"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"));
    const QCommandLineOption helpOption(QStringLiteral("help"));
    const QCommandLineOption versionOption(QStringLiteral("version"));
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
