#include "settings/version_text.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

namespace quiltmap::settings {
namespace {

// The section that quiltmap_stamp_version() fills (src/settings/version_stamp.cpp.in).
constexpr QByteArrayView kStampSection("quiltmap_version");
constexpr qint64 kStampSize = 8;
// Bounds for the tables read from the file: a section name table beyond 1 MiB is not ours.
constexpr qint64 kMaxNameTableBytes = 1024 * 1024;
constexpr quint32 kSectionWithoutBytes = 8; // SHT_NOBITS

// Reads a file's bytes at given places, never past its end.
class FileBytes
{
public:
    explicit FileBytes(QFile &file)
        : m_file(file)
        , m_size(file.size())
    { }

    std::optional<QByteArray> read(quint64 offset, quint64 length) const
    {
        const auto size = static_cast<quint64>(m_size);
        if (offset > size || length > size - offset || !m_file.seek(static_cast<qint64>(offset)))
            return std::nullopt;
        QByteArray bytes = m_file.read(static_cast<qint64>(length));
        if (static_cast<quint64>(bytes.size()) != length)
            return std::nullopt;
        return bytes;
    }

private:
    QFile &m_file;
    qint64 m_size;
};

// Unsigned fields of ELF structures in the file's byte order, bounds-checked.
class Fields
{
public:
    Fields(QByteArrayView bytes, bool bigEndian)
        : m_bytes(bytes)
        , m_bigEndian(bigEndian)
    { }

    std::optional<quint64> at(qsizetype offset, int width) const
    {
        if (offset < 0 || offset > m_bytes.size() - width)
            return std::nullopt;
        quint64 value = 0;
        for (int i = 0; i < width; ++i) {
            const auto byte
                = static_cast<unsigned char>(m_bytes[offset + (m_bigEndian ? i : width - 1 - i)]);
            value = (value << 8) | byte;
        }
        return value;
    }

private:
    QByteArrayView m_bytes;
    bool m_bigEndian;
};

// Where the fields of the file header and of a section header lie, for 32- and 64-bit files.
struct ElfLayout
{
    qsizetype headerSize;
    qsizetype sectionTableOffset;
    int offsetWidth; // width of file offsets and sizes
    qsizetype sectionEntrySizeField; // followed by the section count and the names' index
    qsizetype sectionHeaderSize;
    qsizetype sectionOffsetField;
};

constexpr ElfLayout kElf32 { 52, 0x20, 4, 0x2E, 40, 16 };
constexpr ElfLayout kElf64 { 64, 0x28, 8, 0x3A, 64, 24 };

struct Section
{
    quint32 name;
    quint32 type;
    quint64 offset;
    quint64 size;
};

std::optional<Section> sectionAt(const Fields &table, const ElfLayout &layout, quint64 index)
{
    const auto base = static_cast<qsizetype>(index) * layout.sectionHeaderSize;
    const auto name = table.at(base, 4);
    const auto type = table.at(base + 4, 4);
    const auto offset = table.at(base + layout.sectionOffsetField, layout.offsetWidth);
    const auto size
        = table.at(base + layout.sectionOffsetField + layout.offsetWidth, layout.offsetWidth);
    if (!name || !type || !offset || !size)
        return std::nullopt;
    return Section { static_cast<quint32>(*name), static_cast<quint32>(*type), *offset, *size };
}

bool hasName(QByteArrayView names, quint32 offset, QByteArrayView wanted)
{
    if (offset >= static_cast<quint64>(names.size()))
        return false;
    const QByteArrayView rest = names.sliced(offset);
    const qsizetype end = rest.indexOf('\0');
    return end >= 0 && rest.first(end) == wanted;
}

std::optional<FileVersion> readStamp(const FileBytes &file)
{
    const auto ident = file.read(0, 16);
    if (!ident
        || !ident->startsWith("\x7F"
                              "ELF")
        || ((*ident)[4] != 1 && (*ident)[4] != 2) || ((*ident)[5] != 1 && (*ident)[5] != 2))
        return std::nullopt;
    const ElfLayout &layout = (*ident)[4] == 1 ? kElf32 : kElf64;
    const bool bigEndian = (*ident)[5] == 2;

    const auto header = file.read(0, layout.headerSize);
    if (!header)
        return std::nullopt;
    const Fields headerFields(*header, bigEndian);
    const auto tableOffset = headerFields.at(layout.sectionTableOffset, layout.offsetWidth);
    const auto entrySize = headerFields.at(layout.sectionEntrySizeField, 2);
    const auto count = headerFields.at(layout.sectionEntrySizeField + 2, 2);
    const auto namesIndex = headerFields.at(layout.sectionEntrySizeField + 4, 2);
    if (!tableOffset || entrySize != static_cast<quint64>(layout.sectionHeaderSize) || !count
        || !namesIndex || *namesIndex >= *count)
        return std::nullopt;

    // At most 65535 entries of 64 bytes: 4 MiB.
    const auto table = file.read(*tableOffset, *count * *entrySize);
    if (!table)
        return std::nullopt;
    const Fields tableFields(*table, bigEndian);
    const auto namesSection = sectionAt(tableFields, layout, *namesIndex);
    if (!namesSection || namesSection->size > kMaxNameTableBytes)
        return std::nullopt;
    const auto names = file.read(namesSection->offset, namesSection->size);
    if (!names)
        return std::nullopt;

    for (quint64 i = 0; i < *count; ++i) {
        const auto section = sectionAt(tableFields, layout, i);
        if (!section || !hasName(*names, section->name, kStampSection))
            continue;
        if (section->type == kSectionWithoutBytes || section->size != kStampSize)
            return std::nullopt;
        const auto stamp = file.read(section->offset, kStampSize);
        if (!stamp)
            return std::nullopt;
        const Fields numbers(*stamp, bigEndian);
        return FileVersion { static_cast<quint16>(*numbers.at(0, 2)),
            static_cast<quint16>(*numbers.at(2, 2)), static_cast<quint16>(*numbers.at(4, 2)),
            static_cast<quint16>(*numbers.at(6, 2)) };
    }
    return std::nullopt;
}

} // namespace

QString formatVersionText(const FileVersion &version)
{
    return QString::number(version.major) + u'.' + QString::number(version.minor) + u" Build "
        + QString::number(version.build);
}

std::optional<FileVersion> readVersionStamp(const QString &executablePath)
{
    QFile file(executablePath);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return std::nullopt;
    return readStamp(FileBytes(file));
}

QString GetVersionText()
{
    const auto version = readVersionStamp(QStringLiteral("/proc/self/exe"));
    return version ? formatVersionText(*version) : QString();
}

} // namespace quiltmap::settings
