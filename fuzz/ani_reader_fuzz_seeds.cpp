// Writes the seed corpus of ani_reader_fuzz: the shipped animation and small files in each
// accepted layout, with frames of every bitmap depth and a PNG frame, plus a cut one.
#include "aniicon/busy_animation.h"
#include "busy_animation/ani_builder.h"
#include "png_builder/png_builder.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

using namespace quiltmap::anibuilder;

// A frame chunk must be at least 766 bytes: small images sit behind a gap.
QByteArray paddedFrame(const QByteArray &image)
{
    CursorEntry entry;
    entry.width = 4;
    entry.height = 2;
    entry.imageOffset = DirectorySize + 760;
    return cursorFile(image, entry);
}

QList<QByteArray> depthFrames()
{
    const std::vector<bool> mask { false, true, false, false, false, false, true, false };
    const std::vector<quint32> indexes { 0, 1, 1, 0, 1, 0, 0, 1 };
    QList<QByteArray> frames;
    for (const int depth : { 1, 4, 8 })
        frames.append(paddedFrame(iconBitmap(4, 2, depth, { 0x102030, 0xF0E0D0 }, indexes, mask)));
    frames.append(paddedFrame(iconBitmap(4, 2, 24, {}, { 1, 2, 3, 4, 5, 6, 7, 8 }, mask)));
    frames.append(paddedFrame(
        iconBitmap(4, 2, 32, {}, { 0x80FF0000, 0xFF00FF00, 0, 0x400000FF, 1, 2, 3, 4 }, mask)));
    return frames;
}

QByteArray pngFrame()
{
    quiltmap::pngbuilder::PngRecipe image;
    image.width = 2;
    image.samples = { 255, 0, 0, 255, 0, 0, 255, 128 };
    const std::vector<std::uint8_t> png = quiltmap::pngbuilder::buildPng(image);
    return paddedFrame(
        QByteArray(reinterpret_cast<const char *>(png.data()), qsizetype(png.size())));
}

QByteArray entries(std::initializer_list<qint32> values)
{
    QByteArray bytes;
    for (const qint32 value : values)
        bytes += littleEndian32(value);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 || !QDir().mkpath(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QList<QByteArray> depths = depthFrames();
    const QByteArray header = aniHeaderChunk({ 5, 5, 4, 1 });
    const QByteArray info = chunk("LIST",
        "INFO" + chunk("INAM", QByteArray("Busy!")) + '\0' + chunk("IART", QByteArray("Quil")));
    const QByteArray depthsFile = riffAcon(header + frameList(depths));
    const struct
    {
        const char *name;
        QByteArray bytes;
    } seeds[] = {
        { "shipped.ani", quiltmap::aniicon::shippedBusyAnimation() },
        { "depths.ani", depthsFile },
        { "info.ani", riffAcon(info + header + frameList(depths)) },
        { "empty_info.ani",
            riffAcon(chunk("LIST", QByteArray("INFO")) + header + frameList(depths)) },
        { "rate_seq.ani",
            riffAcon(header + chunk("rate", entries({ 2, 4, 6, 8, 1 }))
                + chunk("seq ", entries({ 4, 3, 2, 1, 0 })) + frameList(depths)) },
        { "png.ani", riffAcon(aniHeaderChunk({ 1, 1, 10, 1 }) + frameList({ pngFrame() })) },
        { "cut.ani", depthsFile.left(depthsFile.size() / 2) },
    };
    for (const auto &seed : seeds) {
        QFile file(dir.filePath(QLatin1String(seed.name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed.bytes) != seed.bytes.size()) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], seed.name);
            return 1;
        }
    }
    return 0;
}
