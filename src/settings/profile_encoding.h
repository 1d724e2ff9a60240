#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quiltmap::settings {

// How a settings file's bytes are encoded. A rewrite keeps the encoding it found.
enum class ProfileEncoding {
    Utf8, // also the encoding of a new file
    Utf8WithBom,
    Utf16LeWithBom,
    Utf16BeWithBom,
    Windows1252, // bytes that are not valid UTF-8
};

struct DecodedProfile
{
    QString text;
    ProfileEncoding encoding = ProfileEncoding::Utf8;
};

// Decodes without loss: encodeProfile(decoded.text, decoded.encoding) gives the same bytes back
// (a UTF-16 file of odd length loses its last byte).
DecodedProfile decodeProfile(QByteArrayView bytes);

// Encodes in the wanted encoding when that reads back as the same text, otherwise in UTF-8
// (for example a Windows-1252 file that takes a character outside that code page).
QByteArray encodeProfile(const QString &text, ProfileEncoding wanted);

} // namespace quiltmap::settings
