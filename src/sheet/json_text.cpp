#include "sheet/json_text.h"

namespace quiltmap::sheet {

QString jsonString(const QString &text)
{
    QString quoted(u'"');
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            quoted += u'\\' + QString(c);
        else if (c.unicode() < 0x20)
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            quoted += c;
    }
    return quoted + u'"';
}

} // namespace quiltmap::sheet
