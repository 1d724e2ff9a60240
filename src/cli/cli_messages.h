#pragma once

#include <QString>

namespace quiltmap {
class Error;
}

namespace quiltmap::cli {

// The command's English text for an error of the core, "WHERE: WHAT[; HINT]" without the
// program's name. `where` names the place for an error that names none (the sheet, for a sheet
// that cannot be made). Errors the command made itself are already worded and pass as they are.
QString englishMessage(const Error &error, const QString &where);

} // namespace quiltmap::cli
