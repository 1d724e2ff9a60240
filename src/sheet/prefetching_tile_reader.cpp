#include "sheet/prefetching_tile_reader.h"

#include <system_error>

namespace quiltmap::sheet {
namespace {

constexpr int tilesAheadPerThread = 8;

} // namespace

PrefetchingTileReader::PrefetchingTileReader(
    TileReader &inner, const QStringList &paths, unsigned threads)
    : m_inner(inner)
    , m_paths(paths)
    , m_ahead(int(std::max(threads, 1u)) * tilesAheadPerThread)
    , m_slots(std::size_t(paths.size()))
{
    try {
        for (unsigned i = 0; i < threads; ++i)
            m_workers.emplace_back([this] { work(); });
    } catch (const std::system_error &) {
        // Fewer threads only read less far ahead; with none, every read is direct.
    }
}

PrefetchingTileReader::~PrefetchingTileReader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_room.notify_all();
    m_workers.clear();
}

void PrefetchingTileReader::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_room.wait(lock, [this] {
            return m_stopping || (m_next < m_paths.size() && m_next < m_wanted + m_ahead);
        });
        if (m_stopping)
            return;
        const int index = m_next++;
        lock.unlock();
        Slot slot;
        try {
            slot.tile = m_inner.read(m_paths.at(index));
        } catch (...) {
            slot.failure = std::current_exception();
        }
        slot.done = true;
        lock.lock();
        if (index >= m_wanted)
            m_slots[std::size_t(index)] = std::move(slot);
        if (index == m_waitingFor)
            m_ready.notify_one();
        if (m_next >= m_paths.size())
            return;
    }
}

// Files are mostly read in the order given, so the next one wanted is looked at first; the table
// of every path is made only when a file is passed over or read out of turn.
int PrefetchingTileReader::indexOf(const QString &path)
{
    if (m_wanted < m_paths.size() && m_paths.at(m_wanted) == path)
        return m_wanted;
    if (m_indexOf.isEmpty())
        for (int i = 0; i < m_paths.size(); ++i)
            m_indexOf.insert(m_paths.at(i), i);
    return m_indexOf.value(path, -1);
}

// Workers are woken when half of the tiles read ahead are taken, so that each wakes for a run of
// tiles rather than for every one, and whenever the reader has to wait.
Tile PrefetchingTileReader::read(const QString &path)
{
    std::unique_lock lock(m_mutex);
    const int index = indexOf(path);
    // A file read again, or one not given, is read here.
    if (index < m_wanted || m_workers.empty()) {
        lock.unlock();
        return m_inner.read(path);
    }
    // Files passed over are dropped; the workers may then run ahead of this one.
    for (int i = m_wanted; i < index; ++i)
        m_slots[std::size_t(i)] = Slot {};
    m_wanted = std::max(m_wanted, index);
    if (!m_slots[std::size_t(index)].done) {
        m_room.notify_all();
        m_waitingFor = index;
        m_ready.wait(lock, [&] { return m_slots[std::size_t(index)].done; });
        m_waitingFor = -1;
    }
    Slot slot = std::move(m_slots[std::size_t(index)]);
    m_slots[std::size_t(index)] = Slot {};
    m_wanted = std::max(m_wanted, index + 1);
    const bool halfTaken = m_next <= m_wanted + m_ahead / 2;
    lock.unlock();
    if (halfTaken)
        m_room.notify_all();
    if (slot.failure)
        std::rethrow_exception(slot.failure);
    return std::move(*slot.tile);
}

} // namespace quiltmap::sheet
