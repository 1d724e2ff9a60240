#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace quiltmap::settings {

// The longest value a read returns, in UTF-16 code units; the rest of a longer value is dropped.
inline constexpr qsizetype kMaxValueLength = 2047;

// Looks a key up in the text of a settings file. Section and key names are compared without
// regard to case; blanks around names and values are not part of them; a value in a pair of
// single or double quotes is read without them. The first matching key wins.
std::optional<QString> findProfileValue(QStringView text, QStringView section, QStringView key);

// Returns the text with the key set: an existing key line is replaced where it stands, a missing
// key is added after the last non-blank line of its section, a missing section is added at the
// end. Every other line stays as it is. Values that would lose blanks or quotes on reading are
// written in double quotes; line breaks in a value become blanks, as a value is one line.
QString withProfileValue(QStringView text, QStringView section, QStringView key, QStringView value);

} // namespace quiltmap::settings
