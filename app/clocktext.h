#pragma once

#include <QDate>
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
