#include "app/app_title.h"

#include <QFileInfo>

namespace quiltmap::app {

QString applicationTitle(const QString &executablePath)
{
    const QString name = QFileInfo(executablePath).fileName();
    const QString stem = name.left(name.indexOf(u'.'));
    if (stem.isEmpty())
        return stem;
    return stem.left(1) + stem.mid(1).toLower();
}

} // namespace quiltmap::app
