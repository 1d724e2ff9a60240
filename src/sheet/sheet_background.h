#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace quiltmap::sheet {

// What shows where no tile is: an opaque colour (white in the window), or nothing at all, which
// gives a sheet with alpha.
struct SheetBackground
{
    std::array<std::uint8_t, 3> rgb { 255, 255, 255 };
    bool transparent = false;

    bool operator==(const SheetBackground &) const = default;
};

// "white", "transparent" or "#RRGGBB" (hexadecimal digits in either case); nothing for other
// texts.
std::optional<SheetBackground> parseBackground(QStringView text);

// "transparent" or "#RRGGBB" in capitals, as the grid data states it.
QString backgroundText(const SheetBackground &background);

} // namespace quiltmap::sheet
