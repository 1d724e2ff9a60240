#include "cli/cli_messages.h"

#include "common/error.h"
#include "sheet/png_errors.h"

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;
using sheet::PngError;

QString pngWhat(PngError error)
{
    switch (error) {
    case PngError::InvalidSignature:
        return u"not a PNG file; use --any-format to read JPEG, BMP, GIF and WebP files"_s;
    case PngError::Truncated:
        return u"damaged PNG file: it ends before its data does"_s;
    case PngError::BadCrc:
        return u"damaged PNG file: a chunk's checksum does not match"_s;
    case PngError::BadChunkType:
        return u"damaged PNG file: a chunk has an invalid name"_s;
    case PngError::HeaderNotFirst:
        return u"damaged PNG file: it does not start with its IHDR chunk"_s;
    case PngError::BadHeader:
        return u"damaged PNG file: its IHDR chunk holds invalid values"_s;
    case PngError::TooLarge:
        return u"the PNG image is too large to read"_s;
    case PngError::ChunkOrder:
        return u"damaged PNG file: its chunks are out of order"_s;
    case PngError::UnknownCriticalChunk:
        return u"unsupported PNG file: it has an unknown critical chunk"_s;
    case PngError::BadPalette:
        return u"damaged PNG file: its palette (PLTE) is invalid"_s;
    case PngError::MissingPalette:
        return u"damaged PNG file: its palette (PLTE) is missing"_s;
    case PngError::NoImageData:
        return u"damaged PNG file: it has no image data (IDAT)"_s;
    case PngError::CorruptImageData:
        return u"damaged PNG file: its compressed image data is corrupt"_s;
    case PngError::TooLittleImageData:
        return u"damaged PNG file: its image data is too short"_s;
    case PngError::TooMuchImageData:
        return u"damaged PNG file: it has more image data than its header states"_s;
    case PngError::BadFilterType:
        return u"damaged PNG file: a row has an unknown filter type"_s;
    case PngError::PaletteIndexOutOfRange:
        return u"damaged PNG file: a pixel refers to an entry beyond its palette"_s;
    case PngError::OutOfMemory:
        return u"not enough memory to read the PNG image"_s;
    }
    return u"damaged PNG file"_s;
}

QString sizeText(const ErrorFacts &facts)
{
    return u"%1x%2"_s.arg(facts.width).arg(facts.height);
}

// What went wrong, without the place; empty for an error without a code.
QString what(const ErrorFacts &facts)
{
    switch (facts.code) {
    case ErrorCode::Unspecified:
        return {};
    case ErrorCode::CannotOpenFile:
        return u"cannot open: "_s + facts.reason;
    case ErrorCode::CannotReadFile:
        return u"cannot read: "_s + facts.reason;
    case ErrorCode::CannotCreateFile:
        return u"cannot write: "_s + facts.reason;
    case ErrorCode::CannotReadFolder:
        return u"cannot read the folder: "_s + facts.reason;
    case ErrorCode::InvalidPng:
        return pngWhat(PngError(facts.detail));
    case ErrorCode::NotAnImage:
        return u"not an image file: "_s + facts.reason;
    case ErrorCode::TileTooLarge:
        return u"%1 pixels is more than a tile may have"_s.arg(sizeText(facts));
    case ErrorCode::SheetTooLarge:
        return u"a sheet of %1 pixels is too large to make; pass -n auto or a smaller -n"_s.arg(
            sizeText(facts));
    case ErrorCode::EmptySheet:
        return u"a sheet of %1 pixels cannot be saved"_s.arg(sizeText(facts));
    case ErrorCode::OutOfMemory:
        return u"not enough memory for a sheet of %1 pixels"_s.arg(sizeText(facts));
    case ErrorCode::ZeroColumns:
        return u"0 tiles per row"_s;
    }
    return {};
}

} // namespace

QString englishMessage(const Error &error, const QString &where)
{
    const QString text = what(error.facts());
    if (text.isEmpty())
        return error.message();
    return (error.facts().path.isEmpty() ? where : error.facts().path) + u": "_s + text;
}

} // namespace quiltmap::cli
