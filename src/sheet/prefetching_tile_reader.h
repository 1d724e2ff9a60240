#pragma once

#include "sheet/tile_reader.h"

#include <QHash>
#include <QStringList>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quiltmap::sheet {

// Reads the named files of a folder ahead on other threads, in the order given, so that tiles
// are decoded while earlier ones are drawn. A read returns what the inner reader gave for that
// file (its tile, or its error); files passed over are dropped. At most a few tiles per thread,
// and of large tiles about 16 MiB beyond the next one, wait decoded, and only they take room: a
// file's path is made when it is read. Paths it was not given go to the inner reader directly.
// The inner reader is read from several threads at once and must keep nothing between reads.
// Reads come from one thread at a time.
class PrefetchingTileReader : public TileReader
{
public:
    // Reads the files `names` of the folder named by `folderText` (see tilePath()). The first
    // file's tile is not read again when `first` holds it.
    PrefetchingTileReader(TileReader &inner, const QString &folderText, const QStringList &names,
        unsigned threads, std::optional<ReadTile> first = std::nullopt);
    ~PrefetchingTileReader() override;
    PrefetchingTileReader(const PrefetchingTileReader &) = delete;
    PrefetchingTileReader &operator=(const PrefetchingTileReader &) = delete;

    Tile read(const QString &path) override;
    QSize readSize(const QString &path) const override { return m_inner.readSize(path); }

private:
    // The decoded file `index`, in the ring of files read ahead.
    struct Slot
    {
        int index = -1;
        std::optional<Tile> tile;
        std::exception_ptr failure;
    };

    void work();
    int count() const { return int(m_names.size()); }
    Slot &slotOf(int index) { return m_slots[std::size_t(index % m_ahead)]; }
    bool holds(int index) { return slotOf(index).index == index; }
    static std::size_t bytesOf(const Slot &slot) { return slot.tile ? slot.tile->byteCount() : 0; }
    // The file's place among the names, or -1; called with the mutex held.
    int indexOf(const QString &path);

    TileReader &m_inner;
    const QString m_folderText;
    const QStringList m_names;
    QHash<QString, int> m_indexOf;
    const int m_ahead;
    std::mutex m_mutex;
    // Workers wait for room ahead, the reader for its file.
    std::condition_variable m_room;
    std::condition_variable m_ready;
    // Files m_wanted to m_wanted + m_ahead - 1, each at its index modulo m_ahead once decoded.
    std::vector<Slot> m_slots;
    int m_wanted = 0; // the first file not yet handed out
    int m_waitingFor = -1;
    std::size_t m_heldBytes = 0; // of the decoded tiles in the ring
    int m_next = 0; // the next file a worker takes
    bool m_stopping = false;
    std::vector<std::jthread> m_workers;
};

} // namespace quiltmap::sheet
