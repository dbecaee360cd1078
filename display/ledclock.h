#pragma once

#include "base/digitpainter.h"
#include "display/ledlayout.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <functional>

// Six red seven-segment digits, HH:MM:SS, on black. The host hands it the time
// text and the display size; pointer actions come back as signals with the
// position in twips from the control's top-left corner.
class LedClock final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LedClock)

public:
    explicit LedClock(QWidget *parent = nullptr);

    // Characters 1-2, 4-5 and 7-8 of the text are the hour, minute and second
    // digits; anything else is ignored, and a character that is not a digit
    // leaves its digit as it was.
    void TimeIN(const QString &TheTime);

    // Lays the digits out for a size in percent of the design size and resizes
    // the control to match.
    void adjustsize(int Perc);

    const LedLayout &layout() const { return m_layout; }

    // The value each digit picture now shows, Hr1 first.
    std::array<int, LedLayout::DigitCount> shownDigits() const { return m_shown; }

    // The time the digits show, as "HH:MM:SS" followed by the AM or PM of the
    // last time text, for a screen reader.
    QString timeShown() const;

    // For a painter that draws the digits by itself: each digit's pictures of
    // 0 to 9 and its place in the top-level window, in device pixels.
    DigitPainter::Scene digitScene();
    // While a painter draws the digits, TimeIN only keeps the time for a
    // screen reader, and a paint shows the time `currentTime` gives, not an
    // older one. An empty function: the control draws its digits again.
    void drawDigitsElsewhere(std::function<QString()> currentTime);

Q_SIGNALS:
    void MouseDown(int Button, int Shift, double X, double Y);
    void MouseUp(int Button, int Shift, double X, double Y);
    void MouseMove(int Button, int Shift, double X, double Y);
    void MouseDBLCLICK();
    // The hour or minute digits changed: at most once a minute while the
    // clock runs, so a screen reader can be told without a wake-up of its own.
    void minuteShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void resizeToLayout();
    // The digit at `index` showing `value`, painted once from the segment
    // outlines for this size and pixel density.
    const QPixmap &glyph(int index, int value, qreal pixelRatio);
    // The same picture, painted afresh.
    QImage digitPicture(int index, int value, qreal pixelRatio) const;

    LedLayout m_layout;
    // A second's repaint copies a picture instead of filling polygons: the
    // idle clock spends most of its time here otherwise.
    std::array<std::array<QPixmap, 10>, LedLayout::DigitCount> m_glyphs;
    std::array<int, LedLayout::DigitCount> m_shown{};
    std::function<QString()> m_currentTime; // set while a painter draws the digits
    QString m_timeText;                     // the last text handed in, for its AM or PM
};
