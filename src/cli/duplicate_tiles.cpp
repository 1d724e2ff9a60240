#include "cli/duplicate_tiles.h"

#include "sheet/folder_listing.h"

namespace quiltmap::cli {

DuplicateTiles::DuplicateTiles(QString folderText)
    : m_folderLength(sheet::tilePath(folderText, QString()).size())
{ }

DuplicateTiles::Fingerprint DuplicateTiles::fingerprint(const sheet::Tile &tile)
{
    const std::size_t bytes = tile.bytesPerRow() * std::size_t(tile.height());
    const std::uint8_t *pixels = tile.height() > 0 ? tile.row(0) : nullptr;
    const auto hash = [&](size_t seed) {
        return quint64(qHashBits(
            pixels, bytes, qHashMulti(seed, tile.width(), tile.height(), int(tile.blend()))));
    };
    return { hash(0x9E3779B9u), hash(0x85EBCA6Bu) };
}

QString DuplicateTiles::storedName(int index) const
{
    const qsizetype start = index == 0 ? 0 : m_nameEnds[std::size_t(index) - 1];
    return m_names.mid(start, m_nameEnds[std::size_t(index)] - start);
}

sheet::Tile DuplicateTiles::read(const QString &path)
{
    sheet::Tile tile = m_inner->read(path);
    const QStringView name = QStringView(path).mid(m_folderLength);
    const Fingerprint print = fingerprint(tile);
    const auto first = m_first.constFind(print);
    if (first != m_first.cend()) {
        m_duplicates.append({ name.toString(), storedName(first.value()) });
        return tile;
    }
    m_first.insert(print, int(m_nameEnds.size()));
    m_names += name;
    m_nameEnds.push_back(m_names.size());
    return tile;
}

} // namespace quiltmap::cli
