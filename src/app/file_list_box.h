#pragma once

#include "sheet/folder_listing.h"

#include <QListView>
#include <functional>

namespace quiltmap::app {

// The file list of the source folder: shows the names the listing read, one row each, in the
// listing's order. The rows show the listing's names themselves, without an item per row, so
// that a folder of any size is shown at once. Reading it shows the busy pointer while a long
// folder is read.
class FileListBox : public QListView
{
    Q_OBJECT

public:
    explicit FileListBox(QWidget *parent = nullptr);

    // Makes the folder named by the text the listed one (an empty text keeps the last) and
    // reads it as Update() does: one read where listing it and reading it again made two, with
    // the same names and errors. Throws quiltmap::Error.
    bool ApplyFilePath(const QString &text, const std::function<bool()> &whileWaiting);
    // Reads the listed folder again on another thread, calling `whileWaiting` about every
    // millisecond; false when the read was abandoned (see FolderListing::reread), which leaves
    // the list empty. Throws quiltmap::Error.
    bool Update(const std::function<bool()> &whileWaiting);

    int fileCount() const { return m_listing.count(); }
    const QStringList &fileNames() const { return m_listing.names(); }

private:
    class Rows;

    bool readAndShow(const std::function<bool()> &read);

    sheet::FolderListing m_listing;
    Rows *m_rows;
    bool m_busyPointer = false;
};

} // namespace quiltmap::app
