#include "widgets/app_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace quiltmap::widgets {

void ensureApplicationFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive))
        QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
}

} // namespace quiltmap::widgets
