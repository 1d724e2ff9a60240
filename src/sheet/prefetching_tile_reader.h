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
// wait decoded. Paths it was not given go to the inner reader directly. The inner reader is read
// from several threads at once and must keep nothing between reads. Reads come from one thread
// at a time.
class PrefetchingTileReader : public TileReader
{
public:
    PrefetchingTileReader(TileReader &inner, const QStringList &paths, unsigned threads);
    ~PrefetchingTileReader() override;
    PrefetchingTileReader(const PrefetchingTileReader &) = delete;
    PrefetchingTileReader &operator=(const PrefetchingTileReader &) = delete;

    Tile read(const QString &path) override;
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
    int indexOf(const QString &path);

    TileReader &m_inner;
    const QStringList m_paths;
    QHash<QString, int> m_indexOf;
    const int m_ahead;
    std::mutex m_mutex;
    // Workers wait for room ahead, the reader for its file.
    std::condition_variable m_room;
    std::condition_variable m_ready;
    std::vector<Slot> m_slots;
    int m_wanted = 0; // the first file not yet handed out
    int m_waitingFor = -1;
    int m_next = 0; // the next file a worker takes
    bool m_stopping = false;
    std::vector<std::jthread> m_workers;
};

} // namespace quiltmap::sheet
