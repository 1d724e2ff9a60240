#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

namespace quiltmap::sheet {

// The file list of the source folder: the names (without folder) of the folder's regular,
// not hidden files that match the mask, in one case-insensitive order by the user's locale
// collation. A name that two patterns match is listed twice. Listing makes the listed folder
// the process's current directory and leaves it there.
class FolderListing
{
public:
    static QString defaultMask() { return QStringLiteral("*.jpg;*.png;*.bmp"); }

    // Called on the reading caller's thread soon after a name lands at index 100 (at most once
    // per read), and when that read ends, also by an error. The GUI shows the busy pointer in
    // between.
    struct BusyHooks
    {
        std::function<void()> begin;
        std::function<void()> end;
    };

    explicit FolderListing(QString mask = defaultMask());

    void setBusyHooks(BusyHooks hooks) { m_busy = std::move(hooks); }

    // Makes the folder named by `text` (relative to the current directory) the listed folder
    // and reads it, unless it is already the listed folder. An empty text does nothing.
    // Throws quiltmap::Error when the folder cannot be entered or read.
    void applyFilePath(const QString &text);
    // Makes it the listed folder as applyFilePath() does, without reading it: the names stay
    // the previous read's. True when it was not the listed folder. Throws quiltmap::Error when
    // the folder cannot be entered.
    bool enter(const QString &text);
    // Reads the listed folder again, discarding the previous names. Throws quiltmap::Error when
    // the folder has vanished or cannot be read.
    void reread();
    // Reads like reread(), but on another thread while this one calls `whileWaiting` about
    // every millisecond. Abandons the read and returns false, names empty, once `whileWaiting`
    // returns false or another read of this listing started from within it.
    bool reread(const std::function<bool()> &whileWaiting);

    // The listed folder as the system reports it once it is the current directory.
    const QString &folder() const { return m_folder; }
    const QStringList &names() const { return m_names; }
    int count() const { return int(m_names.size()); }
    const QString &name(int index) const { return m_names.at(index); }

private:
    QString m_mask;
    QString m_folder;
    QStringList m_names;
    BusyHooks m_busy;
    quint64 m_reads = 0;
    // The stop flag of the read on another thread, while there is one.
    std::atomic<bool> *m_runningRead = nullptr;
};

// The path of a listed file as the folder text, "/" and the name, joined without any
// normalisation (a text ending in "/" gives a doubled separator, which still opens).
QString tilePath(const QString &folderText, const QString &name);

} // namespace quiltmap::sheet
