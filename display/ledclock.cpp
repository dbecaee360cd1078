#include "display/ledclock.h"

#include "base/twips.h"
#include "display/ledglyph.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

int buttonMask(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

constexpr std::array<int, LedLayout::DigitCount> kDigitCharacter = {0, 1, 3, 4, 6, 7};

// The digits of a time text; a character that is not a digit keeps its digit.
std::array<int, LedLayout::DigitCount> digitsOf(const QString &text,
                                                std::array<int, LedLayout::DigitCount> digits)
{
    for (int i = 0; i < LedLayout::DigitCount; ++i) {
        const int position = kDigitCharacter[i];
        if (position >= text.size())
            continue;
        if (const int value = text.at(position).digitValue(); value >= 0 && value <= 9)
            digits[i] = value;
    }
    return digits;
}

} // namespace

LedClock::LedClock(QWidget *parent) : QWidget(parent), m_layout(initialLedLayout())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resizeToLayout();
}

void LedClock::TimeIN(const QString &TheTime)
{
    m_timeText = TheTime;
    const std::array<int, LedLayout::DigitCount> digits = digitsOf(TheTime, m_shown);
    QRegion changed;
    bool minuteChanged = false;
    for (int i = 0; i < LedLayout::DigitCount; ++i) {
        if (digits[i] == m_shown[i])
            continue;
        changed += twipsToPixels(m_layout.digits[i]).toAlignedRect();
        minuteChanged = minuteChanged || i <= LedLayout::M2;
    }
    m_shown = digits;
    // Painted at once rather than from a posted update: the new second reaches
    // the screen a little sooner, and the idle clock wakes the event loop once
    // less each second.
    if (!changed.isEmpty() && !m_currentTime)
        repaint(changed);
    if (minuteChanged)
        Q_EMIT minuteShown();
}

QString LedClock::timeShown() const
{
    const std::array<int, LedLayout::DigitCount> d =
        m_currentTime ? digitsOf(m_currentTime(), m_shown) : m_shown;
    // The designator follows the eight time characters, before the tenths.
    const QString designator = m_timeText.mid(8).section(u'.', 0, 0).trimmed();
    QString text = QStringLiteral("%1%2:%3%4:%5%6")
                       .arg(d[0])
                       .arg(d[1])
                       .arg(d[2])
                       .arg(d[3])
                       .arg(d[4])
                       .arg(d[5]);
    if (!designator.isEmpty())
        text += u' ' + designator;
    return text;
}

DigitPainter::Scene LedClock::digitScene()
{
    DigitPainter::Scene scene;
    scene.window = window()->winId();
    const qreal ratio = devicePixelRatioF();
    for (int i = 0; i < LedLayout::DigitCount; ++i) {
        const QRect whole = twipsToPixels(m_layout.digits[i]).toAlignedRect();
        const QPoint at = mapTo(window(), whole.topLeft());
        scene.places[i] = QRect(QPoint(qRound(at.x() * ratio), qRound(at.y() * ratio)),
                                (QSizeF(whole.size()) * ratio).toSize());
        scene.cell = scene.cell.expandedTo(scene.places[i].size());
    }
    // One image rather than sixty: large enough to be given back to the
    // system as soon as the painter has it.
    scene.pictures = QImage(scene.cell.width() * 10, scene.cell.height() * LedLayout::DigitCount,
                            QImage::Format_RGB32);
    scene.pictures.fill(Qt::black);
    QPainter atlas(&scene.pictures);
    for (int i = 0; i < LedLayout::DigitCount; ++i) {
        for (int value = 0; value < 10; ++value) {
            QImage picture = digitPicture(i, value, ratio);
            picture.setDevicePixelRatio(1);
            atlas.drawImage(QPoint(value * scene.cell.width(), i * scene.cell.height()), picture);
        }
    }
    return scene;
}

void LedClock::drawDigitsElsewhere(std::function<QString()> currentTime)
{
    m_currentTime = std::move(currentTime);
    if (m_currentTime)
        m_glyphs = {};
    update();
}

void LedClock::adjustsize(int Perc)
{
    m_layout = ledLayout(Perc);
    m_glyphs = {};
    resizeToLayout();
    update();
}

void LedClock::resizeToLayout()
{
    resize(qRound(twipsToPixels(m_layout.width)), qRound(twipsToPixels(m_layout.height)));
}

// The digits are painted from the segment outlines at the device's resolution,
// so they stay sharp at any scale, with smooth slanted ends.
void LedClock::paintEvent(QPaintEvent *event)
{
    // A painter's digits may be newer than the last time handed in.
    const std::array<int, LedLayout::DigitCount> digits =
        m_currentTime ? digitsOf(m_currentTime(), m_shown) : m_shown;
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    for (int i = 0; i < LedLayout::DigitCount; ++i) {
        const QRect target = twipsToPixels(m_layout.digits[i]).toAlignedRect();
        if (!event->region().intersects(target) || digits[i] < 0 || digits[i] > 9)
            continue;
        if (m_currentTime) {
            // Only an expose paints while a painter draws: not worth the
            // memory of pictures kept for each second.
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            LedGlyph::paint(painter, twipsToPixels(m_layout.digits[i]), digits[i]);
            painter.restore();
        } else {
            painter.drawPixmap(target.topLeft(), glyph(i, digits[i], devicePixelRatioF()));
        }
    }
    for (const QRectF &dot : m_layout.dots) {
        const QRectF target = twipsToPixels(dot);
        if (event->region().intersects(target.toAlignedRect()))
            painter.fillRect(target, QColor::fromRgb(LedGlyph::Lit));
    }
}

const QPixmap &LedClock::glyph(int index, int value, qreal pixelRatio)
{
    QPixmap &cached = m_glyphs[index][value];
    if (cached.isNull() || cached.devicePixelRatio() != pixelRatio)
        cached = QPixmap::fromImage(digitPicture(index, value, pixelRatio));
    return cached;
}

QImage LedClock::digitPicture(int index, int value, qreal pixelRatio) const
{
    // Drawn at the digit's own offset within whole pixels, so the picture is
    // what painting the outlines straight onto the window would give.
    const QRectF exact = twipsToPixels(m_layout.digits[index]);
    const QRect whole = exact.toAlignedRect();
    QImage picture(whole.size() * pixelRatio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    LedGlyph::paint(painter, exact.translated(-whole.topLeft()), value);
    return picture;
}

void LedClock::mousePressEvent(QMouseEvent *event)
{
    const QPointF at = pixelsToTwips(event->position());
    Q_EMIT MouseDown(buttonMask(event->button()), shiftMask(event->modifiers()), at.x(), at.y());
}

void LedClock::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF at = pixelsToTwips(event->position());
    Q_EMIT MouseUp(buttonMask(event->button()), shiftMask(event->modifiers()), at.x(), at.y());
}

void LedClock::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = pixelsToTwips(event->position());
    Q_EMIT MouseMove(buttonMask(event->buttons()), shiftMask(event->modifiers()), at.x(), at.y());
}

void LedClock::mouseDoubleClickEvent(QMouseEvent *)
{
    Q_EMIT MouseDBLCLICK();
}
