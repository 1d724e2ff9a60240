#include "cli/cli_options.h"

#include <QCommandLineParser>

namespace quiltmap::cli {

using namespace Qt::StringLiterals;

namespace {

// "48x32" gives "48" and "32". The texts then convert as the numeric fields do; the split is at
// the first "x" after the first character, so that "x30" stays a width text.
bool splitCell(const QString &text, CliOptions &options)
{
    if (text == u"largest") {
        options.cellLargest = true;
        return true;
    }
    const qsizetype x = text.indexOf(u'x', 1, Qt::CaseInsensitive);
    if (x < 0)
        return false;
    options.cellWidth = text.left(x);
    options.cellHeight = text.mid(x + 1);
    return true;
}

// A whole number from `least` up.
std::optional<int> wholeNumber(const QString &text, int least)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least)
        return std::nullopt;
    return value;
}

// "white", "transparent" or "#RRGGBB".
std::optional<sheet::SheetBackground> background(const QString &text)
{
    sheet::SheetBackground result;
    if (text == u"white")
        return result;
    if (text == u"transparent") {
        result.transparent = true;
        return result;
    }
    bool ok = false;
    const uint rgb = text.mid(1).toUInt(&ok, 16);
    if (text.size() != 7 || text[0] != u'#' || !ok || text[1] == u'+' || text[1] == u'-')
        return std::nullopt;
    result.rgb = { std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb) };
    return result;
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
        "  -c, --cell largest      the largest width and height among the files\n"
        "  -n, --columns N         tiles per row (default: 25)\n"
        "      --spacing N         pixels of background between cells (default: 0)\n"
        "      --margin N          pixels of background around the sheet (default: 0)\n"
        "      --background COLOUR white, transparent or #RRGGBB (default: white)\n"
        "      --max-size N        refuse a sheet wider or higher than N pixels\n"
        "\n"
        "Order (default: the folder listing's case-insensitive order):\n"
        "      --order natural     numbers in names by value: icon2 before icon10\n"
        "      --order-file FILE   the files FILE names (UTF-8, one per line) first, in its\n"
        "                          order; the other files follow and are reported\n"
        "\n"
        "Output:\n"
        "  -o, --output BASE       output name without extension (default: QuiltMap)\n"
        "      --data json|csv     also write the grid data as BASE.json or BASE.csv;\n"
        "                          may be given twice\n"
        "  -q, --quiet             print nothing but errors (no report, warnings, progress)\n"
        "      --threads N         compress on N threads (default: the processor count); the\n"
        "                          file is the same for any N, 1 leaves it to zlib alone\n"
        "\n"
        "Input:\n"
        "      --any-format        read each file by its content: PNG as before, JPEG, BMP,\n"
        "                          GIF, WebP and the rest through the installed Qt image plugins\n"
        "      --keep-going        a file that cannot be read leaves its cell empty, keeps its\n"
        "                          line in the name list and is reported; exit status 3\n"
        "\n"
        "Watching:\n"
        "      --watch             after the first run, run again whenever FOLDER has been\n"
        "                          quiet for 300 ms after a change; Ctrl+C ends (status 0)\n"
        "\n"
        "Information:\n"
        "  -h, --help              show this text\n"
        "  -V, --version           show the version\n"
        "\n"
        "Exit status: 0 success, 1 failure, 2 usage error, 3 written with files left out\n"
        "(--keep-going).\n");
}

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    const QCommandLineOption cellOption = valueOption({ u"c"_s, u"cell"_s }, "WxH");
    const QCommandLineOption columnsOption = valueOption({ u"n"_s, u"columns"_s }, "N");
    const QCommandLineOption outputOption = valueOption({ u"o"_s, u"output"_s }, "BASE");
    const QCommandLineOption spacingOption = valueOption({ u"spacing"_s }, "N");
    const QCommandLineOption marginOption = valueOption({ u"margin"_s }, "N");
    const QCommandLineOption backgroundOption = valueOption({ u"background"_s }, "COLOUR");
    const QCommandLineOption maxSizeOption = valueOption({ u"max-size"_s }, "N");
    const QCommandLineOption orderOption = valueOption({ u"order"_s }, "natural");
    const QCommandLineOption orderFileOption = valueOption({ u"order-file"_s }, "FILE");
    const QCommandLineOption dataOption = valueOption({ u"data"_s }, "FORMAT");
    const QCommandLineOption quietOption(QStringList { u"q"_s, u"quiet"_s });
    const QCommandLineOption anyFormatOption(u"any-format"_s);
    const QCommandLineOption keepGoingOption(u"keep-going"_s);
    const QCommandLineOption threadsOption = valueOption({ u"threads"_s }, "N");
    const QCommandLineOption watchOption(u"watch"_s);
    const QCommandLineOption helpOption(QStringList { u"h"_s, u"help"_s });
    const QCommandLineOption versionOption(QStringList { u"V"_s, u"version"_s });
    QCommandLineParser parser;
    parser.addOptions({ cellOption, columnsOption, spacingOption, marginOption, backgroundOption,
        maxSizeOption, orderOption, orderFileOption, outputOption, dataOption, quietOption,
        anyFormatOption, keepGoingOption, threadsOption, watchOption, helpOption, versionOption });
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
    const auto refuse = [&](const QCommandLineOption &option, const char *expected) {
        result.usageError
            = QStringLiteral("--%1 expects %2, not \"%3\".")
                  .arg(option.names().back(), QLatin1StringView(expected), parser.value(option));
        return result;
    };
    if (parser.isSet(cellOption) && !splitCell(parser.value(cellOption), options))
        return refuse(cellOption, "WIDTHxHEIGHT or largest");
    for (auto [option, target] : { std::pair(&spacingOption, &options.style.layout.spacing),
             std::pair(&marginOption, &options.style.layout.margin) }) {
        if (!parser.isSet(*option))
            continue;
        const std::optional<int> value = wholeNumber(parser.value(*option), 0);
        if (!value)
            return refuse(*option, "a number of pixels");
        *target = *value;
    }
    if (parser.isSet(backgroundOption)) {
        const std::optional<sheet::SheetBackground> colour
            = background(parser.value(backgroundOption));
        if (!colour)
            return refuse(backgroundOption, "white, transparent or #RRGGBB");
        options.style.background = *colour;
    }
    if (parser.isSet(maxSizeOption)) {
        const std::optional<int> value = wholeNumber(parser.value(maxSizeOption), 1);
        if (!value)
            return refuse(maxSizeOption, "a number of pixels");
        options.maxSize = *value;
    }
    if (parser.isSet(orderOption)) {
        if (parser.value(orderOption) != u"natural")
            return refuse(orderOption, "natural");
        options.naturalOrder = true;
    }
    options.orderFile = parser.value(orderFileOption);
    for (const QString &format : parser.values(dataOption)) {
        if (format == u"json")
            options.dataJson = true;
        else if (format == u"csv")
            options.dataCsv = true;
        else {
            result.usageError
                = QStringLiteral("--data expects json or csv, not \"%1\".").arg(format);
            return result;
        }
    }
    if (parser.isSet(columnsOption))
        options.columns = parser.value(columnsOption);
    if (parser.isSet(outputOption))
        options.output = parser.value(outputOption);
    options.quiet = parser.isSet(quietOption);
    options.anyFormat = parser.isSet(anyFormatOption);
    options.keepGoing = parser.isSet(keepGoingOption);
    if (parser.isSet(threadsOption)) {
        options.threads = wholeNumber(parser.value(threadsOption), 1);
        if (!options.threads)
            return refuse(threadsOption, "a number of threads");
    }
    options.watch = parser.isSet(watchOption);
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 1)
        result.usageError = folders.isEmpty() ? QStringLiteral("No FOLDER given.")
                                              : QStringLiteral("Only one FOLDER may be given.");
    else
        options.folder = folders.front();
    return result;
}

} // namespace quiltmap::cli
