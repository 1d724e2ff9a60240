#include "sheet/png_errors.h"

namespace quiltmap::sheet {

QString pngErrorMessage(PngError error)
{
    switch (error) {
    case PngError::InvalidSignature:
        return QStringLiteral("Die gerade gelesene Datei ist kein gültiges PNG-Bild (\"Portable "
                              "Network Graphics\"), weil sie keinen gültigen Header enthält. Diese "
                              "Datei ist möglicherweise beschädigt. Versuchen Sie, eine neue "
                              "Version davon zu bekommen");
    case PngError::Truncated:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil die Datei vor dem Ende ihrer Daten "
                              "abbricht. Diese Datei ist möglicherweise beschädigt");
    case PngError::BadCrc:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil die Prüfsumme eines Datenblocks "
                              "nicht stimmt. Diese Datei ist möglicherweise beschädigt");
    case PngError::BadChunkType:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil ein Datenblock einen ungültigen "
                              "Namen hat");
    case PngError::HeaderNotFirst:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil es nicht mit dem Datenblock IHDR "
                              "beginnt");
    case PngError::BadHeader:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil sein Datenblock IHDR ungültige "
                              "Werte enthält");
    case PngError::TooLarge:
        return QStringLiteral("Das PNG-Bild ist zu groß, um es zu lesen");
    case PngError::ChunkOrder:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil seine Datenblöcke in falscher "
                              "Reihenfolge stehen");
    case PngError::UnknownCriticalChunk:
        return QStringLiteral("Das PNG-Bild enthält einen unbekannten kritischen Datenblock und "
                              "kann nicht gelesen werden");
    case PngError::BadPalette:
        return QStringLiteral("Das PNG-Bild enthält eine ungültige Palette (PLTE)");
    case PngError::MissingPalette:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil ihm die Palette (PLTE) fehlt");
    case PngError::NoImageData:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil es keine Bilddaten (IDAT) enthält");
    case PngError::CorruptImageData:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil seine komprimierten Bilddaten "
                              "fehlerhaft sind");
    case PngError::TooLittleImageData:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil seine Bilddaten zu kurz sind");
    case PngError::TooMuchImageData:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil es mehr Bilddaten enthält, als "
                              "sein Header angibt");
    case PngError::BadFilterType:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil eine Bildzeile einen unbekannten "
                              "Filtertyp hat");
    case PngError::PaletteIndexOutOfRange:
        return QStringLiteral("Das PNG-Bild ist ungültig, weil ein Pixel auf einen Eintrag "
                              "außerhalb der Palette verweist");
    case PngError::OutOfMemory:
        return QStringLiteral("Zu wenig Arbeitsspeicher, um das PNG-Bild zu lesen");
    }
    return {};
}

Error pngError(PngError error)
{
    return Error(pngErrorMessage(error), { .code = ErrorCode::InvalidPng, .detail = int(error) });
}

} // namespace quiltmap::sheet
