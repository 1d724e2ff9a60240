#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace quiltmap::app {

// The strict integer conversion of the exit handlers: optional leading spaces, an optional sign,
// then decimal digits or a hexadecimal number after "$", "x", "X", "0x" or "0X", and nothing
// after it. Decimal values must fit 32 signed bits; hexadecimal ones are 32-bit patterns.
std::optional<std::int32_t> parseStrictInt(const QString &text);

// As parseStrictInt; throws quiltmap::Error "''<text>'' ist kein gültiger Integer-Wert".
std::int32_t StrToInt(const QString &text);

} // namespace quiltmap::app
