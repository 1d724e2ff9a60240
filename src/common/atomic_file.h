#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <unistd.h>

class QIODevice;

namespace quiltmap {

// Whether an existing file or folder takes writes: this process has write access, and the
// permission bits give write to the class it falls in (owner, group or others). The bits count
// even for root, whom the system lets write anyway, so a file or folder made read-only refuses
// writes for everyone, like a read-only attribute. False for a missing entry.
bool takesWrites(const QString &path);

// Whether a replacement of the file at `path` is refused: the file or its folder exists and does
// not take writes. The replacement would otherwise slip past a read-only file, as a rename needs
// no write permission on the file it replaces. A missing entry is not refused here; writing
// reports what is wrong with it.
bool refusesReplacement(const QString &path);

// Puts a file's data on disk, as fsync(2) does: returns 0, or -1 with errno set.
using SyncToDisk = int (*)(int descriptor);

// Replaces the file at `path` with what `write` puts on the device: the bytes go to a new file
// in the same folder that takes the old one's place only once complete and on disk, and the
// folder is synced so that the replacement lasts too. A failed write leaves the previous file
// intact. `write` returns false when the device refused a write. Returns the reason of a
// failure, nothing on success. `sync` stands in for fsync(2) on the new file.
std::optional<QString> replaceFileContents(const QString &path,
    const std::function<bool(QIODevice &)> &write, SyncToDisk sync = ::fsync);

} // namespace quiltmap
