#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>

namespace quiltmap::cli {

// Watches one folder (not its sub-folders) for changes to the files a listing would take.
class FolderWatch
{
public:
    // Only names the listing's mask matches count, and not those that start with one of
    // `ignoredPrefixes`: the command's own outputs may live in the folder. Throws
    // quiltmap::Error when the system refuses to watch the folder.
    FolderWatch(const QString &folder, const QStringList &ignoredPrefixes);
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;

    // Waits for a change, then until no further change has come for `quiet`. Returns false as
    // soon as `stop` is set.
    bool waitForQuietChange(std::chrono::milliseconds quiet, const std::atomic<bool> &stop);

private:
    // Reads the pending events; whether one of them counts.
    bool readChanges();
    bool counts(const QString &name) const;

    int m_fd = -1;
    QStringList m_ignoredPrefixes;
};

} // namespace quiltmap::cli
