#include "cli/cli_options.h"

#include <QCommandLineParser>
#include <algorithm>

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
    const auto isHexDigit
        = [](QChar c) { return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'); };
    if (text.size() != 7 || text[0] != u'#'
        || !std::all_of(text.begin() + 1, text.end(), isHexDigit))
        return std::nullopt;
    const uint rgb = text.mid(1).toUInt(nullptr, 16);
    result.rgb = { std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb) };
    return result;
}

QCommandLineOption valueOption(const QStringList &names, const char *valueName)
{
    return QCommandLineOption(names, QString(), QString::fromLatin1(valueName));
}

// The usage error for an option value that is not what the option takes.
QString expects(
    const QCommandLineParser &parser, const QCommandLineOption &option, const char *what)
{
    return QStringLiteral("--%1 expects %2, not \"%3\".")
        .arg(option.names().back(), QLatin1StringView(what), parser.value(option));
}

// All options of the command, in the order --help lists them.
struct Options
{
    QCommandLineOption cell = valueOption({ u"c"_s, u"cell"_s }, "WxH");
    QCommandLineOption columns = valueOption({ u"n"_s, u"columns"_s }, "N");
    QCommandLineOption spacing = valueOption({ u"spacing"_s }, "N");
    QCommandLineOption margin = valueOption({ u"margin"_s }, "N");
    QCommandLineOption background = valueOption({ u"background"_s }, "COLOUR");
    QCommandLineOption maxSize = valueOption({ u"max-size"_s }, "N");
    QCommandLineOption order = valueOption({ u"order"_s }, "natural");
    QCommandLineOption orderFile = valueOption({ u"order-file"_s }, "FILE");
    QCommandLineOption output = valueOption({ u"o"_s, u"output"_s }, "BASE");
    QCommandLineOption data = valueOption({ u"data"_s }, "FORMAT");
    QCommandLineOption quiet { QStringList { u"q"_s, u"quiet"_s } };
    QCommandLineOption threads = valueOption({ u"threads"_s }, "N");
    QCommandLineOption anyFormat { u"any-format"_s };
    QCommandLineOption keepGoing { u"keep-going"_s };
    QCommandLineOption watch { u"watch"_s };
    QCommandLineOption help { QStringList { u"h"_s, u"help"_s } };
    QCommandLineOption version { QStringList { u"V"_s, u"version"_s } };

    QList<QCommandLineOption> all() const
    {
        return { cell, columns, spacing, margin, background, maxSize, order, orderFile, output,
            data, quiet, threads, anyFormat, keepGoing, watch, help, version };
    }
};

// Cell size, layout, background and size limit; a usage error or nothing.
QString readSheetOptions(const QCommandLineParser &parser, const Options &o, CliOptions &options)
{
    if (parser.isSet(o.cell) && !splitCell(parser.value(o.cell), options))
        return expects(parser, o.cell, "WIDTHxHEIGHT or largest");
    if (parser.isSet(o.columns))
        options.columns = parser.value(o.columns);
    for (auto [option, target] : { std::pair(&o.spacing, &options.style.layout.spacing),
             std::pair(&o.margin, &options.style.layout.margin) }) {
        if (!parser.isSet(*option))
            continue;
        const std::optional<int> value = wholeNumber(parser.value(*option), 0);
        if (!value)
            return expects(parser, *option, "a number of pixels");
        *target = *value;
    }
    if (parser.isSet(o.background)) {
        const std::optional<sheet::SheetBackground> colour = background(parser.value(o.background));
        if (!colour)
            return expects(parser, o.background, "white, transparent or #RRGGBB");
        options.style.background = *colour;
    }
    if (parser.isSet(o.maxSize)) {
        const std::optional<int> value = wholeNumber(parser.value(o.maxSize), 1);
        if (!value)
            return expects(parser, o.maxSize, "a number of pixels");
        options.maxSize = *value;
    }
    return {};
}

// Order, outputs and how the run goes; a usage error or nothing.
QString readRunOptions(const QCommandLineParser &parser, const Options &o, CliOptions &options)
{
    if (parser.isSet(o.order)) {
        if (parser.value(o.order) != u"natural")
            return expects(parser, o.order, "natural");
        options.naturalOrder = true;
    }
    options.orderFile = parser.value(o.orderFile);
    if (parser.isSet(o.output))
        options.output = parser.value(o.output);
    for (const QString &format : parser.values(o.data)) {
        if (format == u"json")
            options.dataJson = true;
        else if (format == u"csv")
            options.dataCsv = true;
        else
            return QStringLiteral("--data expects json or csv, not \"%1\".").arg(format);
    }
    options.quiet = parser.isSet(o.quiet);
    if (parser.isSet(o.threads)) {
        options.threads = wholeNumber(parser.value(o.threads), 1);
        if (!options.threads)
            return expects(parser, o.threads, "a number of threads");
    }
    options.anyFormat = parser.isSet(o.anyFormat);
    options.keepGoing = parser.isSet(o.keepGoing);
    options.watch = parser.isSet(o.watch);
    return {};
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
    const Options o;
    QCommandLineParser parser;
    parser.addOptions(o.all());
    ParsedCommandLine result;
    CliOptions &options = result.options;
    if (!parser.parse(QStringList { QStringLiteral("quiltmap") } + arguments)) {
        result.usageError = parser.errorText();
        return result;
    }
    if (parser.isSet(o.help)) {
        options.action = CliOptions::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(o.version)) {
        options.action = CliOptions::Action::ShowVersion;
        return result;
    }
    result.usageError = readSheetOptions(parser, o, options);
    if (result.usageError.isEmpty())
        result.usageError = readRunOptions(parser, o, options);
    if (!result.usageError.isEmpty())
        return result;
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 1)
        result.usageError = folders.isEmpty() ? QStringLiteral("No FOLDER given.")
                                              : QStringLiteral("Only one FOLDER may be given.");
    else
        options.folder = folders.front();
    return result;
}

} // namespace quiltmap::cli
