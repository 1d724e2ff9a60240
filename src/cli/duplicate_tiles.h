#pragma once

#include "sheet/tile_reader.h"

#include <QHash>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

namespace quiltmap::cli {

// Reads through another reader and keeps a fingerprint of every tile's decoded pixels, so that
// tiles equal to one read before can be named. A distinct tile costs a few tens of bytes: its
// fingerprint and its name in one shared store. Only the composition's thread reads through it.
class DuplicateTiles : public sheet::TileReader
{
public:
    // The tiles are files of the folder named by `folderText` (see sheet::tilePath()).
    explicit DuplicateTiles(QString folderText);

    // The reader to read through next; the fingerprints stay.
    void readThrough(sheet::TileReader &inner) { m_inner = &inner; }

    sheet::Tile read(const QString &path) override;
    QSize readSize(const QString &path) const override { return m_inner->readSize(path); }

    // Each file name whose tile equals an earlier one, with the first name of those pixels, in
    // reading order.
    const QList<std::pair<QString, QString>> &duplicates() const { return m_duplicates; }

private:
    // Two independent 64-bit hashes of the size, the kind and the bytes of the pixels: equal
    // fingerprints mean equal pixels but for a chance far below any file error.
    struct Fingerprint
    {
        quint64 first = 0;
        quint64 second = 0;

        friend bool operator==(const Fingerprint &, const Fingerprint &) = default;
        friend size_t qHash(const Fingerprint &print, size_t seed) { return print.first ^ seed; }
    };
    static Fingerprint fingerprint(const sheet::Tile &tile);
    QString storedName(int index) const;

    sheet::TileReader *m_inner = &sheet::pngTileReader();
    qsizetype m_folderLength;
    // The first tile of each fingerprint, by its place among the stored names.
    QHash<Fingerprint, int> m_first;
    // The names of the first tiles, one after another, and where each ends.
    QString m_names;
    std::vector<qsizetype> m_nameEnds;
    QList<std::pair<QString, QString>> m_duplicates;
};

} // namespace quiltmap::cli
