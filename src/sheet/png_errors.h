#pragma once

#include <QString>

namespace quiltmap::sheet {

// Every way a PNG file can fail to decode. Thrown inside the codec as PngFailure and turned into
// quiltmap::Error with pngErrorMessage() where decoding returns to its caller.
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

} // namespace quiltmap::sheet
