#include "png_test_images.h"
#include "sheet/png_reader.h"
#include "sheet/png_writer.h"
#include "support/classic_zlib.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>
#include <random>
#include <zlib.h>

namespace quiltmap::sheet::test {
namespace {

struct ParsedChunk
{
    std::string type;
    Bytes data;
};

std::uint32_t u32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Splits a file into its chunks, checking the signature, every length and every CRC.
std::vector<ParsedChunk> parseChunks(const QByteArray &file)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(file.constData());
    const Bytes signature = pngbuilder::pngSignatureBytes();
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), bytes));
    std::vector<ParsedChunk> chunks;
    std::size_t at = 8;
    while (at < std::size_t(file.size())) {
        EXPECT_LE(at + 12, std::size_t(file.size()));
        const std::uint32_t length = u32(bytes + at);
        EXPECT_LE(at + 12 + length, std::size_t(file.size()));
        EXPECT_EQ(crc32(0, bytes + at + 4, length + 4), u32(bytes + at + 8 + length));
        chunks.push_back({ std::string(reinterpret_cast<const char *>(bytes) + at + 4, 4),
            Bytes(bytes + at + 8, bytes + at + 8 + length) });
        at += 12 + length;
    }
    return chunks;
}

Bytes inflateAll(const Bytes &stream, std::size_t expectedSize)
{
    Bytes out(expectedSize + 1);
    uLongf size = uLongf(out.size());
    EXPECT_EQ(uncompress(out.data(), &size, stream.data(), uLong(stream.size())), Z_OK);
    out.resize(size);
    return out;
}

Raster randomRaster(int width, int height, unsigned seed, int channels = 3)
{
    std::mt19937 random(seed);
    Raster raster = Raster::filled(width, height, channels, { 255, 255, 255, 255 });
    // Runs of equal pixels among noise give deflate something to find without making it trivial.
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < raster.bytesPerRow(); ++i)
            raster.row(y)[i] = random() % 4 == 0 ? std::uint8_t(random()) : std::uint8_t(i / 30);
    return raster;
}

QByteArray writeToMemory(const Raster &raster, unsigned threads = 1)
{
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeSheetPng(raster, buffer, threads));
    return file;
}

Bytes imageData(const std::vector<ParsedChunk> &chunks)
{
    Bytes stream;
    for (const ParsedChunk &chunk : chunks)
        if (chunk.type == "IDAT")
            stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
    return stream;
}

// The filtered rows as the sheet format defines them: filter type 1, each byte minus the byte
// one pixel to its left.
Bytes subFilteredRows(const Raster &raster)
{
    Bytes rows;
    for (int y = 0; y < raster.height(); ++y) {
        rows.push_back(1);
        const std::uint8_t *row = raster.row(y);
        const auto pixel = std::size_t(raster.channels());
        for (std::size_t i = 0; i < raster.bytesPerRow(); ++i)
            rows.push_back(std::uint8_t(row[i] - (i >= pixel ? row[i - pixel] : 0)));
    }
    return rows;
}

TEST(PngWriter, WritesHeaderDataAndEndOnly)
{
    const Raster raster = randomRaster(1200, 96, 1);
    const std::vector<ParsedChunk> chunks = parseChunks(writeToMemory(raster));
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.front().data, (Bytes { 0, 0, 4, 176, 0, 0, 0, 96, 8, 2, 0, 0, 0 }));
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.empty());
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i)
        EXPECT_EQ(chunks[i].type, "IDAT") << "chunk " << i;

    const Bytes rows = inflateAll(imageData(chunks), 96 * 3601);
    ASSERT_EQ(rows.size(), 96u * 3601);
    EXPECT_EQ(rows, subFilteredRows(raster));
}

// A raster with alpha gives colour type 6, filtered one four-byte pixel back, alpha kept.
TEST(PngWriter, WritesRgbaForARasterWithAlpha)
{
    const Raster raster = randomRaster(301, 7, 5, 4);
    const QByteArray file = writeToMemory(raster);
    const std::vector<ParsedChunk> chunks = parseChunks(file);
    EXPECT_EQ(chunks.front().data, (Bytes { 0, 0, 1, 45, 0, 0, 0, 7, 8, 6, 0, 0, 0 }));
    EXPECT_EQ(inflateAll(imageData(chunks), 7 * 1205), subFilteredRows(raster));
    const QImage image = QImage::fromData(file, "PNG").convertToFormat(QImage::Format_RGBA8888);
    for (int y = 0; y < raster.height(); ++y)
        ASSERT_TRUE(std::equal(
            raster.row(y), raster.row(y) + raster.bytesPerRow(), image.constScanLine(y)));
}

TEST(PngWriter, CutsTheStreamIntoFullIdatChunks)
{
    const std::vector<ParsedChunk> chunks = parseChunks(writeToMemory(randomRaster(400, 300, 2)));
    const std::size_t idats = chunks.size() - 2;
    ASSERT_GE(idats, 3u);
    for (std::size_t i = 1; i < idats; ++i)
        EXPECT_EQ(chunks[i].data.size(), 65535u) << "IDAT " << i;
    EXPECT_GE(chunks[idats].data.size(), 1u);
    EXPECT_LE(chunks[idats].data.size(), 65535u);
}

// The stream is exactly what deflate makes with level 7, a 32 KiB window and memory level 8.
TEST(PngWriter, CompressesWithTheSheetParameters)
{
    QUILTMAP_SKIP_UNLESS_CLASSIC_ZLIB();
    const Raster raster = randomRaster(300, 200, 3);
    const Bytes rows = subFilteredRows(raster);
    z_stream z {};
    ASSERT_EQ(deflateInit2(&z, 7, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes expected(deflateBound(&z, uLong(rows.size())));
    z.next_in = const_cast<Bytef *>(rows.data());
    z.avail_in = uInt(rows.size());
    z.next_out = expected.data();
    z.avail_out = uInt(expected.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    expected.resize(z.total_out);
    deflateEnd(&z);
    EXPECT_EQ(imageData(parseChunks(writeToMemory(raster))), expected);
}

// Our deflate reads the filtered rows in stretches that start and end inside rows.
TEST(PngWriter, WritesTheSameFileOnAnyThreadCount)
{
    for (const Raster &raster : { randomRaster(700, 600, 5), randomRaster(33, 17, 6, 4) })
        EXPECT_EQ(writeToMemory(raster, 3), writeToMemory(raster)) << raster.width();
}

TEST(PngWriter, RoundTripsThroughBothReaders)
{
    for (auto [width, height] : { std::pair(1, 1), std::pair(2, 5), std::pair(257, 33) }) {
        const Raster raster = randomRaster(width, height, unsigned(width));
        const QByteArray file = writeToMemory(raster);

        const Tile tile = decodePng(std::span(
            reinterpret_cast<const std::uint8_t *>(file.constData()), std::size_t(file.size())));
        ASSERT_EQ(tile.blend(), Tile::Blend::Replace);
        ASSERT_EQ(tile.width(), width);
        ASSERT_EQ(tile.height(), height);
        for (int y = 0; y < height; ++y)
            ASSERT_TRUE(
                std::equal(raster.row(y), raster.row(y) + raster.bytesPerRow(), tile.row(y)));

        const QImage image = QImage::fromData(file, "PNG").convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(image.size(), QSize(width, height));
        for (int y = 0; y < height; ++y)
            ASSERT_TRUE(std::equal(
                raster.row(y), raster.row(y) + raster.bytesPerRow(), image.constScanLine(y)));
    }
}

// Accepts a fixed number of bytes, then refuses every write.
class FullDevice : public QIODevice
{
public:
    explicit FullDevice(qint64 room)
        : m_room(room)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (size > m_room)
            return -1;
        m_room -= size;
        return size;
    }

private:
    qint64 m_room;
};

TEST(PngWriter, ReportsARefusedWriteAtAnyPoint)
{
    const Raster raster = randomRaster(400, 300, 4);
    const qint64 fileSize = writeToMemory(raster).size();
    for (const unsigned threads : { 1u, 2u }) {
        for (qint64 room : { qint64(0), qint64(8), qint64(20), qint64(33), qint64(70000),
                 fileSize - 12, fileSize - 1 }) {
            FullDevice device(room);
            EXPECT_FALSE(writeSheetPng(raster, device, threads)) << "room " << room;
        }
        FullDevice enough(fileSize);
        EXPECT_TRUE(writeSheetPng(raster, enough, threads));
    }
}

} // namespace
} // namespace quiltmap::sheet::test
