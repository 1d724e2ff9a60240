#include "widgets/folder_glyph.h"

#include <array>
#include <string_view>

namespace quiltmap::widgets {

namespace {

// K black, Y yellow, S silver, . white (drawn transparent).
constexpr std::array<std::string_view, 11> kRows = {
    "...KKK......",
    "..KYYYKKKKK.",
    "..KYYYYYYYK.",
    ".KKKYYYYYYK.",
    "KYYYKKKKKYK.",
    "KYYYYYYYKYK.",
    "KYYYKKKKKKKK",
    "KYYKSSSSSSSK",
    "KYKSSSSSSSK.",
    "KKSSSSSSSK..",
    ".KKKKKKKK...",
};

QRgb colourOf(char letter)
{
    switch (letter) {
    case 'K':
        return qRgb(0, 0, 0);
    case 'Y':
        return qRgb(255, 255, 0);
    case 'S':
        return qRgb(192, 192, 192);
    default:
        return qRgba(0, 0, 0, 0);
    }
}

} // namespace

QImage folderGlyph()
{
    QImage glyph(
        static_cast<int>(kRows[0].size()), static_cast<int>(kRows.size()), QImage::Format_ARGB32);
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x)
            glyph.setPixel(x, y, colourOf(kRows[y][x]));
    return glyph;
}

} // namespace quiltmap::widgets
