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
    constexpr std::size_t largestBlock = 4096;
    const auto sortsBefore = [this](const QString &added, std::uint32_t index) {
        return m_collator.compare(added, m_added.at(index)) < 0;
    };
    // The first block whose last name sorts after the new one takes it; the last block otherwise.
    auto block = std::upper_bound(m_blocks.begin(), m_blocks.end(), name,
        [&](const QString &added, const std::vector<std::uint32_t> &indexes) {
            return sortsBefore(added, indexes.back());
        });
    if (m_blocks.empty())
        block = m_blocks.emplace(block);
    else if (block == m_blocks.end())
        --block;
    qsizetype position = 0;
    for (auto before = m_blocks.begin(); before != block; ++before)
        position += qsizetype(before->size());
    const auto place = std::upper_bound(block->begin(), block->end(), name, sortsBefore);
    position += place - block->begin();
    block->insert(place, std::uint32_t(m_added.size()));
    m_added.append(name);
    if (block->size() > largestBlock) {
        std::vector<std::uint32_t> upper(block->begin() + largestBlock / 2, block->end());
        block->resize(largestBlock / 2);
        m_blocks.insert(block + 1, std::move(upper));
    }
    return position;
}

QStringList NameOrder::takeNames()
{
    QStringList names;
    names.reserve(m_added.size());
    for (const std::vector<std::uint32_t> &block : m_blocks)
        for (const std::uint32_t index : block)
            names.append(m_added.at(index));
    m_added.clear();
    m_blocks.clear();
    return names;
}

} // namespace quiltmap::sheet
