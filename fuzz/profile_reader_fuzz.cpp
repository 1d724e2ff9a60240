// Reads arbitrary bytes as a settings file, looks keys up and writes one. Beyond memory safety
// it checks that decoding loses nothing and that a written value reads back.
#include "settings/profile_encoding.h"
#include "settings/profile_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace quiltmap::settings;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isUtf16(ProfileEncoding encoding)
{
    return encoding == ProfileEncoding::Utf16LeWithBom
        || encoding == ProfileEncoding::Utf16BeWithBom;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const DecodedProfile decoded = decodeProfile(bytes);
    const QByteArray encoded = encodeProfile(decoded.text, decoded.encoding);
    // A UTF-16 file of odd length loses its last byte, nothing else changes.
    require(
        encoded == (isUtf16(decoded.encoding) ? bytes.first(bytes.size() & ~qsizetype(1)) : bytes));

    for (const char16_t *key : { u"LastIconpath", u"TilesPerRow", u"A" }) {
        const auto value = findProfileValue(decoded.text, u"Work", key);
        require(!value || value->size() <= kMaxValueLength);
        findProfileValue(decoded.text, u"Options", key);
    }

    // The value is a piece of the input, line breaks and all.
    QString value = decoded.text.right(40);
    const QString updated = withProfileValue(decoded.text, u"Options", u"TilesPerRow", value);
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    require(findProfileValue(updated, u"options", u"tilesperrow") == value);
    // Also after a trip through the file's bytes, whose encoding may have to change.
    const QString reread = decodeProfile(encodeProfile(updated, decoded.encoding)).text;
    require(findProfileValue(reread, u"Options", u"TilesPerRow") == value);
    return 0;
}
