#pragma once

#include "base/digitpainter.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

// The time text handed to the LED display on every tick: "hh:mm:ss " in the
// 24-hour form, "hh:mm:ss " plus the locale's AM or PM text in the 12-hour form,
// then "." and the tenths digit of the seconds since midnight. The display reads
// only the first eight characters.
QString clockTimeText(QTime time, bool twentyFourHour, const QLocale &locale);

// The date line: weekday, day, month name and year, two spaces apart.
QString dateLineText(QDate date, const QLocale &locale);

// How the digit painter turns the wall clock's UTC seconds into the local time
// of `now`'s zone: the offset now and, where the zone knows it, the next change
// of it (daylight saving).
DigitPainter::TimeRule digitTimeRule(const QDateTime &now, bool twentyFourHour);

// Whether a rule made earlier still gives the painter the right local time at
// `now`: the zone's offset and the time format are what it holds, and its
// change of offset has not come. The zone may be changed at any time, so this
// is asked once a minute.
bool digitTimeRuleHolds(const DigitPainter::TimeRule &rule, const QDateTime &now,
                        bool twentyFourHour);
