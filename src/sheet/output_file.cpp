#include "sheet/output_file.h"

#include "common/atomic_file.h"
#include "common/error.h"

#include <QFileInfo>
#include <cerrno>

namespace quiltmap::sheet {
namespace {

[[noreturn]] void throwCannotCreate(const QString &path, const QString &reason)
{
    throw Error(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason),
        { .code = ErrorCode::CannotCreateFile, .path = path, .reason = reason });
}

// A missing entry is not refused here; creating it reports what is wrong.
bool writableIfExists(const QString &path)
{
    return !QFileInfo::exists(path) || takesWrites(path);
}

} // namespace

void writeOutputFile(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    const QFileInfo info(path);
    const QString fullPath = info.absoluteFilePath();
    if (!writableIfExists(fullPath) || !writableIfExists(info.absolutePath()))
        throwCannotCreate(fullPath, qt_error_string(EACCES));
    if (const auto failure = replaceFileContents(fullPath, write))
        throwCannotCreate(fullPath, *failure);
}

} // namespace quiltmap::sheet
