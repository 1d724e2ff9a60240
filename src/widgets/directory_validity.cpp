#include "widgets/directory_validity.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>

namespace quiltmap::widgets {

namespace {

bool meansNotFound(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP;
}

} // namespace

bool isValidDirectory(const QString &path)
{
    // A NUL would cut the path short and test a different one.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return !meansNotFound(errno);
    return S_ISDIR(info.st_mode);
}

} // namespace quiltmap::widgets
