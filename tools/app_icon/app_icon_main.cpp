// Writes the application icon, a small quilt of coloured cells, as SVG and as PNG images.
// Usage: quiltmap_app_icon NAME OUTPUT_FOLDER SIZE...
// Gives OUTPUT_FOLDER/scalable/apps/NAME.svg and OUTPUT_FOLDER/<size>x<size>/apps/NAME.png for each
// size, the layout of an icon theme.
// Both come from the one design below, so they always agree; the output is the same on every run.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdio>

namespace {

// The design on a 256-unit square: a rounded backing cloth with a 4 x 4 grid of patches.
constexpr double kCanvas = 256;
constexpr double kClothInset = 12;
constexpr double kClothRadius = 36;
constexpr double kPatchOrigin = 32;
constexpr double kPatchSize = 44;
constexpr double kPatchStep = 50;
constexpr double kPatchRadius = 7;
constexpr int kGrid = 4;
const QColor kCloth(0x3b, 0x41, 0x52);

constexpr std::array<const char *, kGrid * kGrid> kPatchColours { "#e8544e", "#f2a541", "#f7d65c",
    "#6cbf6a", "#f2a541", "#f7d65c", "#6cbf6a", "#4aa3df", "#f7d65c", "#6cbf6a", "#4aa3df",
    "#8f6fd6", "#6cbf6a", "#4aa3df", "#8f6fd6", "#e8544e" };

QRectF patchRect(int index)
{
    const double x = kPatchOrigin + kPatchStep * (index % kGrid);
    const double y = kPatchOrigin + kPatchStep * (index / kGrid);
    return { x, y, kPatchSize, kPatchSize };
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

QString svgRect(const QRectF &rect, double radius, const QString &fill)
{
    return QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" "
                          "fill=\"%6\"/>\n")
        .arg(number(rect.x()), number(rect.y()), number(rect.width()), number(rect.height()),
            number(radius), fill);
}

QRectF clothRect()
{
    return { kClothInset, kClothInset, kCanvas - 2 * kClothInset, kCanvas - 2 * kClothInset };
}

QString svgText()
{
    QString text
        = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                         "viewBox=\"0 0 256 256\">\n");
    text += svgRect(clothRect(), kClothRadius, kCloth.name());
    for (int i = 0; i < kGrid * kGrid; ++i)
        text += svgRect(patchRect(i), kPatchRadius, QString::fromLatin1(kPatchColours[i]));
    return text + QStringLiteral("</svg>\n");
}

QImage render(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCloth);
    painter.drawRoundedRect(clothRect(), kClothRadius, kClothRadius);
    for (int i = 0; i < kGrid * kGrid; ++i) {
        painter.setBrush(QColor(QString::fromLatin1(kPatchColours[i])));
        painter.drawRoundedRect(patchRect(i), kPatchRadius, kPatchRadius);
    }
    return image;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fputs("usage: quiltmap_app_icon NAME OUTPUT_FOLDER SIZE...\n", stderr);
        return 2;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (!writeFile(folder + QStringLiteral("/scalable/apps/") + name + QStringLiteral(".svg"),
            svgText().toUtf8()))
        return 1;
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString path = QStringLiteral("%1/%2x%2/apps/%3.png").arg(folder).arg(size).arg(name);
        QDir().mkpath(QFileInfo(path).path());
        if (size < 1 || !render(size).save(path, "PNG"))
            return 1;
    }
    return 0;
}
