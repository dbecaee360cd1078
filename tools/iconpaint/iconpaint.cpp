// Paints the program icon at each size the desktop's icon theme asks for, from
// the shapes of the hand-drawn 16 and 32 pixel icons (an alarm clock: two
// bells, a red rim round a black face, bright hands, dark ticks and legs),
// described here on their 32-unit grid. Each size is drawn afresh, not scaled
// from a bitmap.
//
// usage: iconpaint OUTPUT_DIR SIZE...   writes OUTPUT_DIR/SIZExSIZE/apps/tockaro.png
//        iconpaint --ico FILE SIZE...     writes one Windows icon file with every size

#include "base/littleendian.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

namespace {

const QColor kRim(0xd4, 0x00, 0x00);
const QColor kHands(0xff, 0x20, 0x20);
const QColor kDark(0x70, 0x00, 0x00);

void paintIcon(QPainter &p, int size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // Lines never thinner than one pixel, so the small sizes keep their legs.
    const double pixel = 32.0 / size;
    const auto pen = [pixel](const QColor &colour, double width) {
        return QPen(colour, std::max(width, pixel), Qt::SolidLine, Qt::RoundCap);
    };

    p.setPen(pen(kDark, 1.6));
    p.drawLine(QPointF(9, 26), QPointF(5, 30.5));
    p.drawLine(QPointF(22, 26), QPointF(26, 30.5));

    p.setPen(Qt::NoPen);
    p.setBrush(kRim);
    p.drawEllipse(QPointF(7, 6.5), 4.3, 3.8);
    p.drawEllipse(QPointF(25, 6.5), 4.3, 3.8);
    p.drawRoundedRect(QRectF(11, 5.6, 9, 1.6), 0.8, 0.8);
    p.drawRect(QRectF(15, 4.8, 1.2, 1.2));
    p.drawEllipse(QPointF(15.5, 17), 11, 10.5);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(15.5, 17.5), 9, 8.5);

    // Ticks at every hour on the face's edge; the quarters stand out.
    for (int hour = 0; hour < 12; ++hour) {
        const double angle = hour * std::numbers::pi / 6;
        const QPointF dir(std::sin(angle), -std::cos(angle));
        const double inner = hour % 3 == 0 ? 6.2 : 7.2;
        p.setPen(pen(kDark, hour % 3 == 0 ? 1.2 : 0.8));
        p.drawLine(QPointF(15.5, 17.5) + dir * inner, QPointF(15.5, 17.5) + dir * 8.3);
    }

    p.setPen(pen(kHands, 1.8));
    p.drawLine(QPointF(10, 13.5), QPointF(15.5, 17));
    p.drawLine(QPointF(15.5, 17), QPointF(20.5, 11.5));
}

QImage paintedIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintIcon(painter, size);
    }
    return image;
}

// One image of a Windows icon file: the largest as a PNG, the others as the
// bitmaps every part of Windows reads (rows from the bottom up, blue, green,
// red and straight alpha, then the one-bit mask of the transparent pixels).
QByteArray iconImage(const QImage &painted)
{
    QByteArray bytes;
    if (painted.width() >= 256) {
        QBuffer png(&bytes);
        png.open(QIODevice::WriteOnly);
        painted.save(&png, "PNG");
        return bytes;
    }
    const QImage image = painted.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskRow = (size + 31) / 32 * 4;
    append32(bytes, 40);
    append32(bytes, quint32(size));
    append32(bytes, quint32(2 * size)); // the colours and the mask, one above the other
    append16(bytes, 1);
    append16(bytes, 32);
    append32(bytes, 0); // not compressed
    append32(bytes, quint32(size * size * 4 + maskRow * size));
    for (int unused = 0; unused < 4; ++unused)
        append32(bytes, 0);
    for (int y = size - 1; y >= 0; --y)
        bytes.append(reinterpret_cast<const char *>(image.constScanLine(y)), size * 4);
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        for (int x = 0; x < size; ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        bytes.append(row);
    }
    return bytes;
}

int writeIconFile(const QString &path, const QList<int> &sizes)
{
    QList<QByteArray> images;
    for (const int size : sizes)
        images.append(iconImage(paintedIcon(size)));
    QByteArray file;
    append16(file, 0);
    append16(file, 1); // an icon, not a cursor
    append16(file, quint16(sizes.size()));
    quint32 offset = quint32(6 + 16 * sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        // A side of 256 is written as 0.
        file.append(char(sizes[i] & 0xff));
        file.append(char(sizes[i] & 0xff));
        file.append(2, '\0'); // no palette, reserved
        append16(file, 1);
        append16(file, 32);
        append32(file, quint32(images[i].size()));
        append32(file, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray &image : images)
        file.append(image);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) {
        std::fprintf(stderr, "iconpaint: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool ico = argc > 1 && std::strcmp(argv[1], "--ico") == 0;
    const int first = ico ? 3 : 2;
    if (argc <= first) {
        std::fputs("usage: iconpaint OUTPUT_DIR SIZE...\n"
                   "       iconpaint --ico FILE SIZE...\n",
                   stderr);
        return 2;
    }
    QList<int> sizes;
    for (int i = first; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || (ico && size > 256)) {
            std::fprintf(stderr, "iconpaint: bad size %s\n", argv[i]);
            return 2;
        }
        sizes.append(size);
    }
    if (ico)
        return writeIconFile(QString::fromLocal8Bit(argv[2]), sizes);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : sizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!out.mkpath(folder) ||
            !paintedIcon(size).save(out.filePath(folder + QStringLiteral("/tockaro.png")))) {
            std::fprintf(stderr, "iconpaint: cannot write %s\n", qPrintable(out.filePath(folder)));
            return 1;
        }
    }
    return 0;
}
