#pragma once

#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace quiltmap {

// Whether an existing file or folder takes writes: this process has write access, and the
// permission bits give write to the class it falls in (owner, group or others). The bits count
// even for root, whom the system lets write anyway, so a file or folder made read-only refuses
// writes for everyone, like a read-only attribute. False for a missing entry.
bool takesWrites(const QString &path);

// Replaces the file at `path` with what `write` puts on the device: the bytes go to a new file
// in the same folder that takes the old one's place only once complete and on disk, and the
// folder is synced so that the replacement lasts too. A failed write leaves the previous file
// intact. `write` returns false when the device refused a write. Returns the reason of a
// failure, nothing on success.
std::optional<QString> replaceFileContents(
    const QString &path, const std::function<bool(QIODevice &)> &write);

} // namespace quiltmap
