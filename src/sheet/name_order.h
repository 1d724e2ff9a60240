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

    qsizetype size() const { return qsizetype(m_order.size()); }
    // The names in order; the list is empty afterwards.
    QStringList takeNames();

private:
    QCollator m_collator;
    // Names in the order they came, and their sorted order as indexes into it: moving small
    // indexes keeps adding thousands of names cheap.
    QStringList m_added;
    std::vector<std::uint32_t> m_order;
};

} // namespace quiltmap::sheet
