#include "app/file_list_box.h"

#include <QGuiApplication>
#include <algorithm>

namespace quiltmap::app {

namespace {

constexpr int rowHeight = 13;
// Rows added or removed between two looks for events: a few milliseconds' work.
constexpr int rowsPerSlice = 10000;

} // namespace

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    m_listing.setBusyHooks({
        [this] {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_busyPointer = true;
        },
        [this] {
            if (m_busyPointer)
                QGuiApplication::restoreOverrideCursor();
            m_busyPointer = false;
        },
    });
}

bool FileListBox::ApplyFilePath(const QString &text, const std::function<bool()> &whileWaiting)
{
    return readAndShow(
        [&] {
            m_listing.enter(text);
            return m_listing.reread(whileWaiting);
        },
        whileWaiting);
}

bool FileListBox::Update(const std::function<bool()> &whileWaiting)
{
    return readAndShow([&] { return m_listing.reread(whileWaiting); }, whileWaiting);
}

// The rows follow the listing also when reading failed half-way.
bool FileListBox::readAndShow(
    const std::function<bool()> &read, const std::function<bool()> &whileWaiting)
{
    try {
        if (!read())
            return false;
    } catch (...) {
        showNames([] { return true; });
        throw;
    }
    return showNames(whileWaiting);
}

// Long lists change in slices with `whileWaiting` called between them; once it returns false,
// the rows are left half-changed for the read that superseded this one.
bool FileListBox::showNames(const std::function<bool()> &whileWaiting)
{
    while (count() > 0) {
        const int first = std::max(0, count() - rowsPerSlice);
        model()->removeRows(first, count() - first);
        if (first > 0 && !whileWaiting())
            return false;
    }
    const QStringList &names = m_listing.names();
    for (qsizetype first = 0; first < names.size(); first += rowsPerSlice) {
        if (first > 0 && !whileWaiting())
            return false;
        addItems(names.mid(first, rowsPerSlice));
        // With uniform item sizes every row takes its height from the first.
        if (first == 0)
            item(0)->setSizeHint(QSize(0, rowHeight));
    }
    return true;
}

} // namespace quiltmap::app
