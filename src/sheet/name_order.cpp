#include "sheet/name_order.h"

#include <algorithm>

namespace quiltmap::sheet {

NameOrder::NameOrder()
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

qsizetype NameOrder::insert(const QString &name)
{
    const auto place = std::upper_bound(
        m_order.begin(), m_order.end(), name, [this](const QString &added, std::uint32_t index) {
            return m_collator.compare(added, m_added.at(index)) < 0;
        });
    const qsizetype position = place - m_order.begin();
    m_order.insert(place, std::uint32_t(m_added.size()));
    m_added.append(name);
    return position;
}

QStringList NameOrder::takeNames()
{
    QStringList names;
    names.reserve(qsizetype(m_order.size()));
    for (const std::uint32_t index : m_order)
        names.append(m_added.at(index));
    m_added.clear();
    m_order.clear();
    return names;
}

} // namespace quiltmap::sheet
