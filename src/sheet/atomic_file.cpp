#include "sheet/atomic_file.h"

#include "common/error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace quiltmap::sheet {
namespace {

[[noreturn]] void throwCannotCreate(const QString &path, const QString &reason)
{
    throw Error(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason));
}

// False for an existing entry that is read-only: no write permission bit for anybody, or no
// write access for this process. A missing entry is not refused here; creating it reports
// what is wrong.
bool writableIfExists(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0)
        return true;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0
        && ::access(name.constData(), W_OK) == 0;
}

} // namespace

void replaceFile(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    const QFileInfo info(path);
    const QString fullPath = info.absoluteFilePath();
    if (!writableIfExists(fullPath) || !writableIfExists(info.absolutePath()))
        throwCannotCreate(fullPath, qt_error_string(EACCES));
    QSaveFile file(fullPath);
    if (!file.open(QIODevice::WriteOnly))
        throwCannotCreate(fullPath, file.errorString());
    if (!write(file)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throwCannotCreate(fullPath, reason);
    }
    if (!file.commit())
        throwCannotCreate(fullPath, file.errorString());
}

} // namespace quiltmap::sheet
