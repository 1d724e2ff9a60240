#pragma once

#include "common/error.h"

#include <QString>

namespace quiltmap::sheet {

// Every way a PNG file can fail to decode. Thrown inside the codec as PngFailure and turned into
// quiltmap::Error with pngError() where decoding returns to its caller.
enum class PngError {
    InvalidSignature,
    Truncated,
    BadCrc,
    BadChunkType,
    HeaderNotFirst,
    BadHeader,
    TooLarge,
    ChunkOrder,
    UnknownCriticalChunk,
    BadPalette,
    MissingPalette,
    NoImageData,
    CorruptImageData,
    TooLittleImageData,
    TooMuchImageData,
    BadFilterType,
    PaletteIndexOutOfRange,
    OutOfMemory,
};

struct PngFailure
{
    PngError error;
};

QString pngErrorMessage(PngError error);

// The error a decoding failure leaves the codec with: the message above, the code for others.
Error pngError(PngError error);

} // namespace quiltmap::sheet
