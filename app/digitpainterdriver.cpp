#include "app/digitpainterdriver.h"

#include "app/bigcform.h"
#include "app/clocktext.h"
#include "base/clock.h"
#include "display/ledclock.h"
#include "settings/conffile.h"

DigitPainterDriver::DigitPainterDriver(DigitPainter *painter, BigCForm &clock, const Clock &time,
                                       const Settings &settings, QObject *parent)
    : QObject(parent), m_painter(painter), m_clock(clock), m_time(time), m_settings(settings)
{}

DigitPainterDriver::~DigitPainterDriver()
{
    // The painter outlives the window it draws into.
    stopDrawing();
}

void DigitPainterDriver::restart()
{
    if (!m_painter)
        return;
    m_painting = m_painter->setScene(m_clock.display()->digitScene());
    if (!m_painting) {
        m_clock.display()->drawDigitsElsewhere({});
        return;
    }
    m_clock.display()->drawDigitsElsewhere([this] { return m_clock.timeTextAt(m_time.now()); });
    m_timeRule.reset();
    followTimeRule(m_time.now());
    m_painter->setDrawing(m_clock.isVisible());
}

void DigitPainterDriver::stopDrawing()
{
    if (m_painting)
        m_painter->setDrawing(false);
}

// The painter reads the wall clock in UTC; local time and its next change of
// offset come from the zone the clock reads, once a minute as the zone may be
// changed.
void DigitPainterDriver::followTimeRule(const QDateTime &now)
{
    if (!m_painting)
        return;
    const bool twentyFourHour = m_settings.twentyFourHour;
    if (m_timeRule && digitTimeRuleHolds(*m_timeRule, now, twentyFourHour))
        return;
    m_timeRule = digitTimeRule(now, twentyFourHour);
    m_painter->setTimeRule(*m_timeRule);
}
