#include "settings/profile_encoding.h"

#include "common/windows1252.h"

#include <QStringDecoder>
#include <QtEndian>
#include <optional>

namespace quiltmap::settings {
namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);
constexpr QByteArrayView kUtf16LeBom("\xFF\xFE", 2);
constexpr QByteArrayView kUtf16BeBom("\xFE\xFF", 2);

std::optional<QString> decodeUtf8(QByteArrayView bytes)
{
    // A leading U+FEFF after the BOM we removed is text and must stay.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    // Qt accepts a few sequences that are not valid UTF-8; a byte-exact round trip rules them out.
    if (decoder.hasError() || text.toUtf8() != bytes)
        return std::nullopt;
    return text;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto *unit = bytes.data() + 2 * i;
        text[i]
            = QChar(bigEndian ? qFromBigEndian<quint16>(unit) : qFromLittleEndian<quint16>(unit));
    }
    return text;
}

QByteArray encodeUtf16(const QString &text, bool bigEndian)
{
    QByteArray bytes = (bigEndian ? kUtf16BeBom : kUtf16LeBom).toByteArray();
    const qsizetype bomSize = bytes.size();
    bytes.resize(bomSize + 2 * text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        auto *unit = bytes.data() + bomSize + 2 * i;
        if (bigEndian)
            qToBigEndian<quint16>(text[i].unicode(), unit);
        else
            qToLittleEndian<quint16>(text[i].unicode(), unit);
    }
    return bytes;
}

std::optional<QByteArray> encodeCp1252(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<char> byte = windows1252Byte(text[i].unicode());
        if (!byte)
            return std::nullopt;
        bytes[i] = *byte;
    }
    return bytes;
}

std::optional<QByteArray> encodeAs(const QString &text, ProfileEncoding encoding)
{
    switch (encoding) {
    case ProfileEncoding::Utf8:
        return text.toUtf8();
    case ProfileEncoding::Utf8WithBom:
        return kUtf8Bom.toByteArray() + text.toUtf8();
    case ProfileEncoding::Utf16LeWithBom:
        return encodeUtf16(text, false);
    case ProfileEncoding::Utf16BeWithBom:
        return encodeUtf16(text, true);
    case ProfileEncoding::Windows1252:
        return encodeCp1252(text);
    }
    return std::nullopt;
}

} // namespace

DecodedProfile decodeProfile(QByteArrayView bytes)
{
    if (bytes.startsWith(kUtf16LeBom))
        return { decodeUtf16(bytes.sliced(2), false), ProfileEncoding::Utf16LeWithBom };
    if (bytes.startsWith(kUtf16BeBom))
        return { decodeUtf16(bytes.sliced(2), true), ProfileEncoding::Utf16BeWithBom };
    if (bytes.startsWith(kUtf8Bom)) {
        if (auto text = decodeUtf8(bytes.sliced(3)))
            return { *text, ProfileEncoding::Utf8WithBom };
    } else if (auto text = decodeUtf8(bytes)) {
        return { *text, ProfileEncoding::Utf8 };
    }
    return { fromWindows1252(bytes), ProfileEncoding::Windows1252 };
}

QByteArray encodeProfile(const QString &text, ProfileEncoding wanted)
{
    // A Windows-1252 rewrite may turn into valid UTF-8 and would then read back differently.
    if (auto bytes = encodeAs(text, wanted); bytes && decodeProfile(*bytes).text == text)
        return *bytes;
    return text.toUtf8();
}

} // namespace quiltmap::settings
