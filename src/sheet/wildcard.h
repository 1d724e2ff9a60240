#pragma once

#include <QStringView>

namespace quiltmap::sheet {

// File-name wildcard matching, case-insensitive: "*" matches any run of characters, "?" one
// character. An empty pattern matches nothing.
bool matchesWildcard(QStringView pattern, QStringView name);

} // namespace quiltmap::sheet
