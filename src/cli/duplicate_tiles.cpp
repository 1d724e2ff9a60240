#include "cli/duplicate_tiles.h"

#include <array>

namespace quiltmap::cli {
namespace {

// The size, the kind of pixels and two independent 64-bit hashes of the bytes: equal
// fingerprints mean equal pixels but for a chance far below any file error.
QByteArray fingerprint(const sheet::Tile &tile)
{
    const std::size_t bytes = tile.bytesPerRow() * std::size_t(tile.height());
    const std::uint8_t *pixels = tile.height() > 0 ? tile.row(0) : nullptr;
    const std::array<quint64, 4> values { quint64(tile.width()) << 32 | quint32(tile.height()),
        quint64(tile.blend()), qHashBits(pixels, bytes, 0x9E3779B9u),
        qHashBits(pixels, bytes, 0x85EBCA6Bu) };
    return QByteArray(reinterpret_cast<const char *>(values.data()), sizeof(values));
}

} // namespace

sheet::Tile DuplicateTiles::read(const QString &path)
{
    sheet::Tile tile = m_inner->read(path);
    const QByteArray key = fingerprint(tile);
    const auto first = m_firstPath.constFind(key);
    if (first != m_firstPath.cend())
        m_duplicates.append({ path, first.value() });
    else
        m_firstPath.insert(key, path);
    return tile;
}

} // namespace quiltmap::cli
