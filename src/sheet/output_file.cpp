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

} // namespace

void writeOutputFile(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (refusesReplacement(fullPath))
        throwCannotCreate(fullPath, qt_error_string(EACCES));
    if (const auto failure = replaceFileContents(fullPath, write))
        throwCannotCreate(fullPath, *failure);
}

} // namespace quiltmap::sheet
