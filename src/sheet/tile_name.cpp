#include "sheet/tile_name.h"

namespace quiltmap::sheet {

QString tileName(const QString &fileName)
{
    QString name = fileName;
    const qsizetype dot = name.lastIndexOf(u'.');
    const qsizetype separator = name.lastIndexOf(u'/');
    if (dot > 0 && dot > separator)
        name.remove(name.mid(dot), Qt::CaseSensitive);
    return name.mid(name.lastIndexOf(u'/') + 1);
}

} // namespace quiltmap::sheet
