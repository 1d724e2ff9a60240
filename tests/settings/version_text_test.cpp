#include "settings/version_text.h"
#include "support/temp_dir.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace quiltmap::settings {
namespace {

using test::TempDir;

// This test program is stamped with the project's version.
TEST(VersionText, RunningExecutableShowsItsStamp)
{
    EXPECT_EQ(GetVersionText(), QStringLiteral("0.4 Build 36"));
}

struct FormatCase
{
    FileVersion version;
    const char16_t *text;
};

void PrintTo(const FormatCase &c, std::ostream *out)
{
    *out << QString::fromUtf16(c.text).toStdString();
}

class VersionFormat : public testing::TestWithParam<FormatCase>
{
};

TEST_P(VersionFormat, ShowsMajorMinorAndBuild)
{
    EXPECT_EQ(formatVersionText(GetParam().version), QString::fromUtf16(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Numbers, VersionFormat,
    testing::Values(FormatCase { { 0, 4, 0, 36 }, u"0.4 Build 36" },
        FormatCase { { 1, 2, 3, 4 }, u"1.2 Build 4" },
        FormatCase { { 10, 0, 0, 0 }, u"10.0 Build 0" },
        FormatCase { { 65535, 65535, 65535, 65535 }, u"65535.65535 Build 65535" }));

template<typename T> void put(QByteArray &bytes, qsizetype offset, T value, bool bigEndian)
{
    if (bytes.size() < offset + qsizetype(sizeof(T)))
        bytes.resize(offset + sizeof(T), '\0');
    if (bigEndian)
        qToBigEndian(value, bytes.data() + offset);
    else
        qToLittleEndian(value, bytes.data() + offset);
}

// A minimal ELF file: header, the section names, the stamp and a table of three sections
// (the null section, the names, the stamp).
QByteArray elfWithStamp(bool is64, bool bigEndian, const FileVersion &version,
    const QByteArray &stampName = "quiltmap_version")
{
    const qsizetype headerSize = is64 ? 64 : 52;
    const qsizetype entrySize = is64 ? 64 : 40;
    QByteArray bytes("\x7F"
                     "ELF",
        4);
    bytes.append(char(is64 ? 2 : 1)).append(char(bigEndian ? 2 : 1)).append(char(1));
    bytes.resize(headerSize, '\0');
    const QByteArray names = '\0' + QByteArray(".shstrtab") + '\0' + stampName + '\0';
    const qsizetype namesOffset = bytes.size();
    bytes += names;
    const qsizetype stampOffset = bytes.size();
    for (quint16 number : { version.major, version.minor, version.release, version.build })
        put(bytes, bytes.size(), number, bigEndian);
    const qsizetype tableOffset = bytes.size();
    const auto section = [&](int index, quint32 name, quint32 type, quint64 offset, quint64 size) {
        const qsizetype base = tableOffset + index * entrySize;
        put(bytes, base + entrySize - 4, quint32(0), bigEndian);
        put(bytes, base, name, bigEndian);
        put(bytes, base + 4, type, bigEndian);
        if (is64) {
            put(bytes, base + 24, offset, bigEndian);
            put(bytes, base + 32, size, bigEndian);
        } else {
            put(bytes, base + 16, quint32(offset), bigEndian);
            put(bytes, base + 20, quint32(size), bigEndian);
        }
    };
    section(0, 0, 0, 0, 0);
    section(1, 1, 3, namesOffset, names.size());
    section(2, 11, 1, stampOffset, 8);
    const qsizetype fields = is64 ? 0x28 : 0x20;
    if (is64)
        put(bytes, fields, quint64(tableOffset), bigEndian);
    else
        put(bytes, fields, quint32(tableOffset), bigEndian);
    const qsizetype after = is64 ? 0x3A : 0x2E;
    put(bytes, after, quint16(entrySize), bigEndian);
    put(bytes, after + 2, quint16(3), bigEndian);
    put(bytes, after + 4, quint16(1), bigEndian);
    return bytes;
}

std::optional<FileVersion> stampOf(const QByteArray &bytes)
{
    TempDir dir;
    return readVersionStamp(dir.write(QStringLiteral("exe"), bytes));
}

TEST(VersionStamp, ReadsAllElfLayouts)
{
    for (bool is64 : { false, true }) {
        for (bool bigEndian : { false, true }) {
            const auto version = stampOf(elfWithStamp(is64, bigEndian, { 1, 2, 3, 65535 }));
            ASSERT_TRUE(version.has_value()) << is64 << bigEndian;
            EXPECT_EQ(formatVersionText(*version), QStringLiteral("1.2 Build 65535"));
            EXPECT_EQ(version->release, 3);
        }
    }
}

TEST(VersionStamp, DamagedOrMissingStampGivesNothing)
{
    const QByteArray good = elfWithStamp(true, false, { 0, 4, 0, 36 });
    ASSERT_TRUE(stampOf(good).has_value());
    EXPECT_FALSE(stampOf(elfWithStamp(true, false, {}, "other_section")).has_value());
    EXPECT_FALSE(stampOf(QByteArray()).has_value());
    EXPECT_FALSE(stampOf("#!/bin/sh\necho\n").has_value());
    EXPECT_FALSE(readVersionStamp(QStringLiteral("/no/such/file")).has_value());
    for (qsizetype size = 0; size < good.size(); ++size)
        EXPECT_FALSE(stampOf(good.first(size)).has_value()) << size;

    const auto damaged = [&](qsizetype offset, QByteArray with) {
        QByteArray bytes = good;
        bytes.replace(offset, with.size(), with);
        return stampOf(bytes);
    };
    EXPECT_FALSE(damaged(0x28, QByteArray(8, '\xFF')).has_value()); // table beyond the end
    EXPECT_FALSE(damaged(0x3A, QByteArray("\x20\0", 2)).has_value()); // entry size
    EXPECT_FALSE(damaged(0x3E, QByteArray("\x07\0", 2)).has_value()); // names index
    const qsizetype stampEntry = good.size() - 64;
    EXPECT_FALSE(damaged(stampEntry + 32, QByteArray("\x06", 1)).has_value()); // stamp size
    EXPECT_FALSE(damaged(stampEntry + 24, QByteArray(8, '\x7F')).has_value()); // stamp offset
    EXPECT_FALSE(damaged(stampEntry + 4, QByteArray("\x08", 1)).has_value()); // no bytes
}

} // namespace
} // namespace quiltmap::settings
