#pragma once

#include <QStringList>

namespace quiltmap::cli {

// The file names an order file lists: UTF-8 text, one name per line (LF or CR LF), blank lines
// skipped. Throws quiltmap::Error "<shown>: <reason>" for a file that cannot be read, is larger
// than 64 MiB or is not UTF-8.
QStringList readOrderFile(const QString &path, const QString &shown);

} // namespace quiltmap::cli
