#pragma once

#include "sheet/tile_reader.h"

#include <QHash>
#include <QList>
#include <QString>
#include <utility>

namespace quiltmap::cli {

// Reads through another reader and keeps a fingerprint of every tile's decoded pixels, so that
// tiles equal to one read before can be named. Only the composition's thread reads through it.
class DuplicateTiles : public sheet::TileReader
{
public:
    // The reader to read through next; the fingerprints stay.
    void readThrough(sheet::TileReader &inner) { m_inner = &inner; }

    sheet::Tile read(const QString &path) override;
    QSize readSize(const QString &path) const override { return m_inner->readSize(path); }

    // Each path whose tile equals an earlier one, with the first path of those pixels, in
    // reading order.
    const QList<std::pair<QString, QString>> &duplicates() const { return m_duplicates; }

private:
    sheet::TileReader *m_inner = &sheet::pngTileReader();
    QHash<QByteArray, QString> m_firstPath;
    QList<std::pair<QString, QString>> m_duplicates;
};

} // namespace quiltmap::cli
