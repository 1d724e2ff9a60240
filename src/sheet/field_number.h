#pragma once

#include <QStringView>

namespace quiltmap::sheet {

// The lenient conversion of a numeric field's text; it never fails. Leading blanks are skipped,
// an optional sign follows, then decimal digits or hexadecimal digits after "$", "x", "X", "0x"
// or "0X". A text that is wholly such a number gives that number; otherwise the value of the
// digits read before the first foreign character, without the sign (0 when there are none).
// Values beyond the 32-bit range saturate at its ends.
int fieldNumber(QStringView text);

} // namespace quiltmap::sheet
