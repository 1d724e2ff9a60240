#pragma once

#include <QCollator>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace quiltmap::sheet {

// A list kept sorted as names are added one by one: case-insensitive by the user's locale
// collation, a name going after the names that compare equal to it.
class NameOrder
{
public:
    NameOrder();

    // Adds a name at its sorted place and returns that place.
    qsizetype insert(const QString &name);

    qsizetype size() const { return m_added.size(); }
    // The names in order; the list is empty afterwards.
    QStringList takeNames();

private:
    QCollator m_collator;
    // Names in the order they came, and their sorted order as indexes into it, in blocks of a
    // few thousand: adding a name moves only the indexes of one block, so a million names cost
    // no more per name than a thousand.
    QStringList m_added;
    std::vector<std::vector<std::uint32_t>> m_blocks;
};

} // namespace quiltmap::sheet
