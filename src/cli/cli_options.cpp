#include "cli/cli_options.h"

#include "cli/option_table.h"
#include "sheet/sheet_background.h"

#include <QCommandLineParser>
#include <algorithm>

namespace quiltmap::cli {

using namespace Qt::StringLiterals;

namespace {

// A whole number from `least` up: decimal digits only, within an int.
std::optional<int> wholeNumber(const QString &text, int least)
{
    if (text.isEmpty()
        || !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least)
        return std::nullopt;
    return value;
}

// "48x32": each side a whole number from 1 up.
std::optional<QSize> cellSize(const QString &text)
{
    const QStringList sides = text.split(u'x', Qt::KeepEmptyParts, Qt::CaseInsensitive);
    if (sides.size() != 2)
        return std::nullopt;
    const std::optional<int> width = wholeNumber(sides[0], 1);
    const std::optional<int> height = wholeNumber(sides[1], 1);
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

// Reads the options' values through the parser; `failure` keeps the first usage error.
class OptionReader
{
public:
    explicit OptionReader(const QCommandLineParser &parser)
        : m_parser(parser)
    { }

    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    QString value(const QString &name) const { return m_parser.value(name); }
    QStringList values(const QString &name) const { return m_parser.values(name); }

    // Records that the option `name` does not take `given`: "--columns: expects ..., not "x"".
    void refuse(const QString &name, const QString &given, const char *what)
    {
        if (failure.isEmpty())
            failure = u"--%1: expects %2, not \"%3\""_s.arg(name, QLatin1StringView(what), given);
    }

    std::optional<int> number(const QString &name, int least, const char *what)
    {
        if (!isSet(name))
            return std::nullopt;
        const std::optional<int> result = wholeNumber(value(name), least);
        if (!result)
            refuse(name, value(name), what);
        return result;
    }

    QString failure;

private:
    const QCommandLineParser &m_parser;
};

void readCellOptions(OptionReader &in, CliOptions &options)
{
    if (in.isSet(u"cell"_s)) {
        const QString text = in.value(u"cell"_s);
        options.cellLargest = text == u"largest";
        if (!options.cellLargest) {
            options.cell = cellSize(text);
            if (!options.cell)
                in.refuse(u"cell"_s, text, "WIDTHxHEIGHT, each from 1 up, or largest");
        }
    }
    options.columnsAuto = in.value(u"columns"_s) == u"auto";
    if (!options.columnsAuto)
        options.columns = in.number(u"columns"_s, 1, "a whole number from 1 up or auto");
    options.style.layout.spacing
        = in.number(u"spacing"_s, 0, "a number of pixels from 0 up").value_or(0);
    options.style.layout.margin
        = in.number(u"margin"_s, 0, "a number of pixels from 0 up").value_or(0);
    if (in.isSet(u"background"_s)) {
        const auto colour = sheet::parseBackground(in.value(u"background"_s));
        if (colour)
            options.style.background = *colour;
        else
            in.refuse(u"background"_s, in.value(u"background"_s), "white, transparent or #RRGGBB");
    }
    options.maxSize = in.number(u"max-size"_s, 1, "a number of pixels from 1 up");
}

void readRunOptions(OptionReader &in, CliOptions &options)
{
    if (in.isSet(u"order"_s)) {
        options.naturalOrder = in.value(u"order"_s) == u"natural";
        if (!options.naturalOrder)
            in.refuse(u"order"_s, in.value(u"order"_s), "natural");
    }
    options.orderFile = in.value(u"order-file"_s);
    if (in.isSet(u"output"_s))
        options.output = in.value(u"output"_s);
    for (const QString &format : in.values(u"data"_s)) {
        if (format == u"json")
            options.data.json = true;
        else if (format == u"csv")
            options.data.csv = true;
        else if (format == u"phaser")
            options.data.phaser = true;
        else if (format == u"tiled")
            options.data.tiled = true;
        else
            in.refuse(u"data"_s, format, "json, csv, phaser or tiled");
    }
    options.style.powerOfTwo = in.isSet(u"pot"_s);
    options.proof = in.isSet(u"proof"_s);
    options.pages = in.isSet(u"pages"_s);
    if (options.pages && !options.maxSize && in.failure.isEmpty())
        in.failure = u"--pages: needs --max-size, the size a page may have"_s;
    options.quiet = in.isSet(u"quiet"_s);
    options.threads = in.number(u"threads"_s, 1, "a number of threads from 1 up");
    options.anyFormat = in.isSet(u"any-format"_s);
    options.keepGoing = in.isSet(u"keep-going"_s);
    options.watch = in.isSet(u"watch"_s);
}

// The parser's own errors, in the command's words.
QString parserFailure(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString &name = unknown.front();
        return (name.size() == 1 ? u"-"_s : u"--"_s) + name + u": no such option"_s;
    }
    QString text = parser.errorText();
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    for (const OptionEntry &entry : optionTable())
        parser.addOption(QCommandLineOption(entry.names, QString(), entry.valueName));
    ParsedCommandLine result;
    CliOptions &options = result.options;
    if (!parser.parse(QStringList { u"quiltmap"_s } + arguments)) {
        result.usageError = parserFailure(parser);
        return result;
    }
    if (parser.isSet(u"help"_s)) {
        options.action = CliOptions::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(u"version"_s)) {
        options.action = CliOptions::Action::ShowVersion;
        return result;
    }
    OptionReader in(parser);
    readCellOptions(in, options);
    readRunOptions(in, options);
    result.usageError = in.failure;
    if (!result.usageError.isEmpty())
        return result;
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 1)
        result.usageError
            = folders.isEmpty() ? u"no FOLDER given"_s : u"only one FOLDER may be given"_s;
    else
        options.folder = folders.front();
    return result;
}

} // namespace quiltmap::cli
