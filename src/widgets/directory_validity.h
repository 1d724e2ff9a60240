#pragma once

#include <QString>

namespace quiltmap::widgets {

// True when `path`, taken as it stands (relative to the current directory, trailing separator
// allowed, symbolic links followed), names a folder. A path that does not exist is false; a path
// whose state cannot be told (no access, I/O error) counts as a folder.
bool isValidDirectory(const QString &path);

} // namespace quiltmap::widgets
