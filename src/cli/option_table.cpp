#include "cli/option_table.h"

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

// Where the help texts start in --help.
constexpr qsizetype helpColumn = 26;

// "  -c, --cell WxH" or "      --spacing N".
QString optionColumn(const OptionEntry &option)
{
    QString text
        = option.names.front().size() == 1 ? u"  -%1, "_s.arg(option.names.front()) : u"      "_s;
    text += u"--"_s + option.longName();
    if (!option.valueName.isEmpty())
        text += u' ' + option.valueName;
    return text;
}

} // namespace

const QList<OptionEntry> &optionTable()
{
    static const QList<OptionEntry> table {
        { u"Cells"_s, { u"c"_s, u"cell"_s }, u"WxH|largest"_s, { u"largest"_s },
            { u"cell width and height (default: the size of the"_s,
                u"first file); largest: the largest width and"_s, u"height among the files"_s } },
        { u"Cells"_s, { u"n"_s, u"columns"_s }, u"N|auto"_s, { u"auto"_s },
            { u"tiles per row, from 1 up (default: 25); auto: the"_s,
                u"squarest sheet (within --max-size)"_s } },
        { u"Cells"_s, { u"spacing"_s }, u"N"_s, {},
            { u"pixels of background between cells (default: 0)"_s } },
        { u"Cells"_s, { u"margin"_s }, u"N"_s, {},
            { u"pixels of background around the sheet (default: 0)"_s } },
        { u"Cells"_s, { u"background"_s }, u"COLOUR"_s, { u"white"_s, u"transparent"_s },
            { u"white, transparent or #RRGGBB (default: white)"_s } },
        { u"Cells"_s, { u"max-size"_s }, u"N"_s, {},
            { u"refuse a sheet wider or higher than N pixels"_s } },
        { u"Cells"_s, { u"pages"_s }, {}, {},
            { u"with --max-size, split a sheet higher than N by"_s,
                u"whole rows into pages BASE-1.png, BASE-2.png, ..."_s } },
        { u"Order (default: the folder listing's case-insensitive order)"_s, { u"order"_s },
            u"natural"_s, { u"natural"_s },
            { u"numbers in names by value: icon2 before icon10"_s } },
        { u"Order (default: the folder listing's case-insensitive order)"_s, { u"order-file"_s },
            u"FILE"_s, {},
            { u"the files FILE lists (UTF-8, one file name or"_s,
                u"name-list entry per line) first, in its order;"_s,
                u"the other files follow and are reported"_s } },
        { u"Output"_s, { u"o"_s, u"output"_s }, u"BASE"_s, {},
            { u"output name without extension (default: QuiltMap)"_s } },
        { u"Output"_s, { u"data"_s }, u"FORMAT"_s, { u"json"_s, u"csv"_s, u"phaser"_s, u"tiled"_s },
            { u"also write data files: json (BASE.json) or csv"_s,
                u"(BASE.csv) grid data, a phaser atlas (TexturePacker"_s,
                u"JSON Hash, BASE.atlas.json) or a tiled tileset"_s,
                u"(BASE.tsx); may be given more than once"_s } },
        { u"Output"_s, { u"pot"_s }, {}, {},
            { u"raise the sheet's width and height each to a power"_s,
                u"of two, the new area background; cells stay"_s } },
        { u"Output"_s, { u"proof"_s }, {}, {},
            { u"also write BASE.proof.png: every cell on a"_s,
                u"checkerboard in a grid, with its index and name"_s } },
        { u"Output"_s, { u"q"_s, u"quiet"_s }, {}, {},
            { u"print nothing but errors (no report, warnings,"_s, u"progress)"_s } },
        { u"Output"_s, { u"threads"_s }, u"N"_s, {},
            { u"compress on N threads (default: the processor"_s,
                u"count); the file is the same for any N"_s } },
        { u"Input"_s, { u"any-format"_s }, {}, {},
            { u"read each file by its content: PNG as before,"_s,
                u"JPEG, BMP, GIF, WebP and the rest through the"_s,
                u"installed Qt image plugins"_s } },
        { u"Input"_s, { u"keep-going"_s }, {}, {},
            { u"a file that cannot be read leaves its cell empty,"_s,
                u"keeps its line in the name list and is reported;"_s, u"exit status 3"_s } },
        { u"Watching"_s, { u"watch"_s }, {}, {},
            { u"after the first run, run again whenever FOLDER"_s,
                u"has been quiet for 300 ms after a change; Ctrl+C"_s, u"ends (status 0)"_s } },
        { u"Information"_s, { u"h"_s, u"help"_s }, {}, {}, { u"show this text"_s } },
        { u"Information"_s, { u"V"_s, u"version"_s }, {}, {}, { u"show the version"_s } },
    };
    return table;
}

QString usageText()
{
    QString text = u"Usage: quiltmap [OPTION]... FOLDER\n"
                   "Composes the *.jpg, *.png and *.bmp files of FOLDER (each read as PNG) into\n"
                   "one sheet and writes BASE.png and the tile names to BASE.txt.\n"_s;
    QString group;
    for (const OptionEntry &option : optionTable()) {
        if (option.group != group) {
            group = option.group;
            text += u'\n' + group + u":\n"_s;
        }
        QString line = optionColumn(option);
        for (const QString &help : option.help) {
            if (line.size() >= helpColumn) {
                text += line + u'\n';
                line.clear();
            }
            text += line.leftJustified(helpColumn) + help + u'\n';
            line.clear();
        }
    }
    return text
        + u"\nExit status: 0 success, 1 failure, 2 usage error, 3 written with files left out\n"
          "(--keep-going).\n"_s;
}

} // namespace quiltmap::cli
