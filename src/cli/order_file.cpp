#include "cli/order_file.h"

#include "common/error.h"

#include <QFile>
#include <QStringDecoder>

namespace quiltmap::cli {

QStringList readOrderFile(const QString &path, const QString &shown)
{
    constexpr qint64 maxBytes = qint64(64) << 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(shown + QStringLiteral(": ") + file.errorString());
    if (file.size() > maxBytes)
        throw Error(shown + QStringLiteral(": more than 64 MiB for a list of names"));
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        throw Error(shown + QStringLiteral(": ") + file.errorString());
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        throw Error(shown + QStringLiteral(": not UTF-8 text"));
    QStringList names;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            names.append(line);
    }
    return names;
}

} // namespace quiltmap::cli
