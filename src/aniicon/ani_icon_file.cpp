#include "aniicon/ani_icon_file.h"

#include "aniicon/chunk_cursor.h"
#include "common/error.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace quiltmap::aniicon {

namespace {

// The extension with its dot: from the last "." of the name without its folder.
QString fileExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

void TAniIconFile::notifyChange()
{
    if (m_onChange)
        m_onChange();
}

void TAniIconFile::load(const QByteArray &bytes)
{
    m_cursor.load(bytes);
    m_hasData = true;
}

void TAniIconFile::LoadFromStream(QIODevice *stream)
{
    if (!stream)
        return;
    if (!stream->isReadable() || (!stream->isSequential() && !stream->seek(0)))
        throwReadError();
    load(stream->readAll());
}

void TAniIconFile::setData(const QByteArray &bytes)
{
    load(bytes);
    notifyChange();
}

void TAniIconFile::LoadFromFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (fileExtension(fileName).toUpper() != QLatin1String(".ANI") || !info.isFile())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral(u"Datei %1 kann nicht geöffnet werden. %2")
                        .arg(info.absoluteFilePath(), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throwReadError();
    m_cursor.load(bytes);
    notifyChange();
    m_hasData = true;
}

void TAniIconFile::SaveToStream(QIODevice *stream) const
{
    if (stream && stream->write(Data()) != Data().size())
        throw Error(QStringLiteral("Stream-Schreibfehler"));
}

void TAniIconFile::Assign(const TAniIconFile *source)
{
    if (source) {
        load(source->Data());
        return;
    }
    m_hasData = false;
    m_cursor.clear();
}

void TAniIconFile::Tick()
{
    if (m_cursor.tick())
        notifyChange();
}

} // namespace quiltmap::aniicon
