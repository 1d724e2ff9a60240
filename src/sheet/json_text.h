#pragma once

#include <QString>

namespace quiltmap::sheet {

// A JSON string literal: quotation mark, backslash and control characters escaped, the rest as
// it is.
QString jsonString(const QString &text);

} // namespace quiltmap::sheet
