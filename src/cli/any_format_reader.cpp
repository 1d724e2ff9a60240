#include "cli/any_format_reader.h"

#include "common/error.h"
#include "sheet/png_format.h"
#include "sheet/png_reader.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstring>

namespace quiltmap::cli {
namespace {

using sheet::Tile;

bool holdsPng(const QString &path)
{
    const auto &signature = sheet::pngSignature;
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
        && file.read(qint64(signature.size()))
        == QByteArrayView(signature.data(), qsizetype(signature.size()));
}

[[noreturn]] void cannotRead(const QString &path, const QImageReader &reader)
{
    const QString reason = reader.errorString();
    throw Error(QStringLiteral("Datei %1 kann nicht als Bild gelesen werden. %2").arg(path, reason),
        { .code = ErrorCode::NotAnImage, .path = path, .reason = reason });
}

// Reads only what the format's header states; refuses sizes beyond the PNG reader's bounds.
QSize checkedSize(const QString &path, QImageReader &reader)
{
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        cannotRead(path, reader);
    const sheet::PngLimits limits;
    if (std::uint64_t(size.width()) > limits.maxWidth
        || std::uint64_t(size.height()) > limits.maxHeight
        || std::uint64_t(size.width()) * std::uint64_t(size.height()) > limits.maxPixels)
        throw Error(QStringLiteral("Datei %1: ein Bild mit %2 x %3 Pixeln ist zu groß")
                        .arg(path)
                        .arg(size.width())
                        .arg(size.height()),
            { .code = ErrorCode::TileTooLarge,
                .path = path,
                .width = size.width(),
                .height = size.height() });
    return size;
}

Tile tileFromImage(const QImage &image)
{
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels
        = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const Tile::Blend blend = alpha ? Tile::Blend::AlphaOver : Tile::Blend::Replace;
    const auto rowBytes = std::size_t(pixels.width()) * std::size_t(Tile::channelsFor(blend));
    std::vector<std::uint8_t> bytes(rowBytes * std::size_t(pixels.height()));
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(bytes.data() + rowBytes * std::size_t(y), pixels.constScanLine(y), rowBytes);
    return Tile(pixels.width(), pixels.height(), blend, std::move(bytes));
}

} // namespace

Tile AnyFormatReader::read(const QString &path)
{
    if (holdsPng(path))
        return sheet::readPngFile(path);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    checkedSize(path, reader);
    const QImage image = reader.read();
    if (image.isNull())
        cannotRead(path, reader);
    return tileFromImage(image);
}

QSize AnyFormatReader::readSize(const QString &path) const
{
    if (holdsPng(path))
        return sheet::readPngFileSize(path);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return checkedSize(path, reader);
}

} // namespace quiltmap::cli
