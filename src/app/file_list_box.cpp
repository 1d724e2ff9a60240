#include "app/file_list_box.h"

#include <QGuiApplication>

namespace quiltmap::app {

namespace {

constexpr int rowHeight = 13;

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

void FileListBox::ApplyFilePath(const QString &text)
{
    readAndShow([&] {
        m_listing.applyFilePath(text);
        return true;
    });
}

void FileListBox::Update()
{
    Update([] { return true; });
}

bool FileListBox::Update(const std::function<bool()> &whileWaiting)
{
    return readAndShow([&] { return m_listing.reread(whileWaiting); });
}

// The rows follow the listing also when reading failed half-way.
bool FileListBox::readAndShow(const std::function<bool()> &read)
{
    try {
        if (!read())
            return false;
    } catch (...) {
        showNames();
        throw;
    }
    showNames();
    return true;
}

void FileListBox::showNames()
{
    clear();
    addItems(m_listing.names());
    // With uniform item sizes every row takes its height from the first.
    if (count() > 0)
        item(0)->setSizeHint(QSize(0, rowHeight));
}

} // namespace quiltmap::app
