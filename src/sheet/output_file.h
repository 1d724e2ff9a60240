#pragma once

#include <QString>
#include <functional>

class QIODevice;

namespace quiltmap::sheet {

// Writes one output file: replaces the file at `path` with what `write` puts on the device: the
// bytes go to a new file in the same folder that takes the old one's place only once complete, so a
// failed write leaves the previous file intact. `write` returns false when the device refused a
// write. A read-only existing file or folder is refused (see quiltmap::refusesReplacement).
// Throws quiltmap::Error "Datei "<full path>" kann nicht erstellt werden. <reason>".
void writeOutputFile(const QString &path, const std::function<bool(QIODevice &)> &write);

} // namespace quiltmap::sheet
