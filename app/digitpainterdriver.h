#pragma once

#include "base/digitpainter.h"

#include <QObject>

#include <optional>

class BigCForm;
class Clock;
class QDateTime;
struct Settings;

// Hands the clock window's digits to the digit painter, where there is one and
// it can draw them: their pictures and places whenever they change, whether
// the window shows, and local time's rule once a minute. Where it cannot, the
// window paints its digits on the tick.
class DigitPainterDriver final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DigitPainterDriver)

public:
    // No painter: the window paints its digits itself.
    DigitPainterDriver(DigitPainter *painter, BigCForm &clock, const Clock &time,
                       const Settings &settings, QObject *parent = nullptr);
    ~DigitPainterDriver() override;

    // The painter draws the digits: the tick need not come each second for them.
    bool painting() const { return m_painting; }

    // Hands the digits' pictures and places to the painter (anew, as after a
    // new layout, a new native window or a show).
    void restart();
    void stopDrawing();
    // Keeps the painter's local time right as the zone, its daylight saving
    // or the time format change.
    void followTimeRule(const QDateTime &now);

private:
    DigitPainter *m_painter;
    BigCForm &m_clock;
    const Clock &m_time;
    const Settings &m_settings; // the time format
    bool m_painting = false;
    std::optional<DigitPainter::TimeRule> m_timeRule; // as the painter last had it
};
