// Paints the program icon at each size the desktop's icon theme asks for, from
// the shapes of the hand-drawn 16 and 32 pixel icons (an alarm clock: two
// bells, a red rim round a black face, bright hands, dark ticks and legs),
// described here on their 32-unit grid. Each size is drawn afresh, not scaled
// from a bitmap.
//
// usage: iconpaint OUTPUT_DIR SIZE...   writes OUTPUT_DIR/SIZExSIZE/apps/tockaro.png

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fputs("usage: iconpaint OUTPUT_DIR SIZE...\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8) {
            std::fprintf(stderr, "iconpaint: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            paintIcon(painter, size);
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!out.mkpath(folder) ||
            !image.save(out.filePath(folder + QStringLiteral("/tockaro.png")))) {
            std::fprintf(stderr, "iconpaint: cannot write %s\n", qPrintable(out.filePath(folder)));
            return 1;
        }
    }
    return 0;
}
