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

// Reads the files of a composition ahead on other threads, in the order given, so that tiles
// are decoded while earlier ones are drawn. A read returns what the inner reader gave for that
// file (its tile, or its error); files passed over are dropped. At most a few tiles per thread
// wait decoded. Paths it was not given go to the inner reader directly.
class PrefetchingTileReader : public TileReader
{
public:
    PrefetchingTileReader(const TileReader &inner, const QStringList &paths, unsigned threads);
    ~PrefetchingTileReader() override;
    PrefetchingTileReader(const PrefetchingTileReader &) = delete;
    PrefetchingTileReader &operator=(const PrefetchingTileReader &) = delete;

    Tile read(const QString &path) const override;
    QSize readSize(const QString &path) const override { return m_inner.readSize(path); }

private:
    struct Slot
    {
        std::optional<Tile> tile;
        std::exception_ptr failure;
        bool done = false;
    };

    void work();
    // The file's place among the paths, or -1; called with the mutex held.
    int indexOf(const QString &path) const;

    const TileReader &m_inner;
    const QStringList m_paths;
    mutable QHash<QString, int> m_indexOf;
    const int m_ahead;
    mutable std::mutex m_mutex;
    // Workers wait for room ahead, the reader for its file.
    mutable std::condition_variable m_room;
    mutable std::condition_variable m_ready;
    mutable std::vector<Slot> m_slots;
    mutable int m_wanted = 0; // the first file not yet handed out
    mutable int m_waitingFor = -1;
    int m_next = 0; // the next file a worker takes
    bool m_stopping = false;
    std::vector<std::jthread> m_workers;
};

} // namespace quiltmap::sheet
