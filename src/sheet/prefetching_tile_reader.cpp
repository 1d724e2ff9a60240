#include "sheet/prefetching_tile_reader.h"

#include "sheet/folder_listing.h"

#include <system_error>
#include <utility>

namespace quiltmap::sheet {
namespace {

constexpr int tilesAheadPerThread = 8;
// Large tiles wait decoded up to about this much, beyond the one the reader wants next.
constexpr std::size_t bytesAhead = std::size_t(16) << 20;

// Whether `path` is the path tilePath() makes of the folder text and the name.
bool isPathOf(const QString &path, const QString &folderText, const QString &name)
{
    return path.size() == folderText.size() + 1 + name.size() && path.startsWith(folderText)
        && path.at(folderText.size()) == u'/' && path.endsWith(name);
}

} // namespace

PrefetchingTileReader::PrefetchingTileReader(TileReader &inner, const QString &folderText,
    const QStringList &names, unsigned threads, std::optional<ReadTile> first)
    : m_inner(inner)
    , m_folderText(folderText)
    , m_names(names)
    , m_ahead(int(std::max(threads, 1u)) * tilesAheadPerThread)
    , m_slots(std::size_t(m_ahead))
{
    if (first && !names.isEmpty() && isPathOf(first->path, folderText, names.first())) {
        m_slots[0] = Slot { 0, std::move(first->tile), {} };
        m_heldBytes = bytesOf(m_slots[0]);
        m_next = 1;
    }
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
            return m_stopping
                || (m_next < count() && m_next < m_wanted + m_ahead
                    && (m_heldBytes < bytesAhead || m_next == m_wanted));
        });
        if (m_stopping)
            return;
        const int index = m_next++;
        lock.unlock();
        Slot slot { index, {}, {} };
        try {
            slot.tile = m_inner.read(tilePath(m_folderText, m_names.at(index)));
        } catch (...) {
            slot.failure = std::current_exception();
        }
        lock.lock();
        // A file passed over meanwhile is dropped; any other has its own place in the ring.
        if (index >= m_wanted) {
            m_heldBytes += bytesOf(slot);
            slotOf(index) = std::move(slot);
        }
        if (index == m_waitingFor)
            m_ready.notify_one();
        if (m_next >= count())
            return;
    }
}

// Files are mostly read in the order given, so the files read ahead are looked at first; the
// table of every name is made only when a file is read out of turn.
int PrefetchingTileReader::indexOf(const QString &path)
{
    for (int i = m_wanted; i < std::min(count(), m_wanted + m_ahead); ++i)
        if (isPathOf(path, m_folderText, m_names.at(i)))
            return i;
    if (!path.startsWith(m_folderText) || path.size() <= m_folderText.size()
        || path.at(m_folderText.size()) != u'/')
        return -1;
    if (m_indexOf.isEmpty())
        for (int i = 0; i < count(); ++i)
            m_indexOf.insert(m_names.at(i), i);
    return m_indexOf.value(path.mid(m_folderText.size() + 1), -1);
}

// Workers are woken when half of the tiles read ahead are taken, so that each wakes for a run of
// tiles rather than for every one, when room frees up under the bytes held, and whenever the
// reader has to wait.
Tile PrefetchingTileReader::read(const QString &path)
{
    std::unique_lock lock(m_mutex);
    const int index = indexOf(path);
    // A file read again, or one not given, is read here.
    if (index < m_wanted || m_workers.empty()) {
        lock.unlock();
        return m_inner.read(path);
    }
    // Files passed over are dropped, and the workers go on from this one.
    const bool heldTooMuch = m_heldBytes >= bytesAhead;
    for (int i = m_wanted; i < std::min(index, m_wanted + m_ahead); ++i)
        if (holds(i))
            m_heldBytes -= bytesOf(std::exchange(slotOf(i), Slot {}));
    m_wanted = index;
    m_next = std::max(m_next, index);
    if (!holds(index)) {
        m_room.notify_all();
        m_waitingFor = index;
        m_ready.wait(lock, [&] { return holds(index); });
        m_waitingFor = -1;
    }
    Slot slot = std::exchange(slotOf(index), Slot {});
    m_heldBytes -= bytesOf(slot);
    m_wanted = index + 1;
    const bool wake = m_next <= m_wanted + m_ahead / 2 || (heldTooMuch && m_heldBytes < bytesAhead);
    lock.unlock();
    if (wake)
        m_room.notify_all();
    if (slot.failure)
        std::rethrow_exception(slot.failure);
    return std::move(*slot.tile);
}

} // namespace quiltmap::sheet
