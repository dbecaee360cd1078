#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// One alarm as the user defined it: exactly what a line of the alarm file
// holds, in the integer widths the file has always held; flags are 0 or 1.
// Whether a slot of the table holds an alarm is the table's to say, and what
// the running program knows of an alarm (its snooze, what it has rung) is the
// alarm engine's.
struct AlarmRecord {
    QString message;
    qint16 frequency = 0; // an index into alarmFrequencyNames()
    QString timeText;     // "hh:mm:ss" in 24-hour form or "hh:mm:ss AM/PM"
    QDate alarmDate;
    QString dayFlags; // seven "0"/"1" characters, Sunday first
    qint16 sleepFlag = 0;
    QString playlist; // every path followed by kPlaylistSeparator
    qint32 spare = 0; // the start volume in hundredths of a dB where it holds one (alarmVolume)
    qint16 fadeIn = 0;
    qint16 fadeOut = 0;
    qint32 fadeMinutes = 0;
    QString snoozeMinutes;
    qint16 playMedia = 0;
    qint16 soundIndex = 0;

    friend bool operator==(const AlarmRecord &, const AlarmRecord &) = default;
};

namespace AlarmFrequency {
enum : qint16 { FixedDate, Hourly, Daily, Weekly, Monthly, Yearly };
} // namespace AlarmFrequency

// The schedule kinds as the user sees them, in the order of their numbers.
QStringList alarmFrequencyNames();

inline constexpr QStringView kFieldSeparator = u"[1*1]";
inline constexpr QStringView kPlaylistSeparator = u"[2*2]";

// The number at the start of `text` as the alarm file has always been read:
// blanks anywhere are ignored, then an optional sign, digits with an optional
// decimal point and an optional exponent; 0 when the text does not start with
// a number. Empty when the number is beyond what a double can hold.
std::optional<double> leadingNumber(QStringView text);

// The date as the alarm file writes it: the locale's short date format with a
// four-digit year, so that no year is ever read back in the wrong century.
QString alarmDateText(QDate date, const QLocale &locale);

// Reads what alarmDateText wrote, and also the locale's form with a two-digit
// year, which earlier copies of the program wrote. A two-digit year is taken
// as the year ending in those digits from presentYear - 80 to presentYear + 19:
// alarm dates lie near the present, and old files were written in the past.
std::optional<QDate> readAlarmDate(QStringView text, const QLocale &locale, int presentYear);

// The record as the alarm file can hold it. Nothing in the line format is
// escaped, so every text is made to read back as itself:
// - the text is passed through the file's encoding, so a character the system
//   code page cannot hold becomes what reading will give back;
// - each line break (CR LF, CR or LF) becomes one blank, as the editor does;
// - in every text but the playlist, "[1*1]" becomes "[1*1 ]": the user keeps
//   their words with the smallest visible change, and no field boundary moves;
//   "[2*2]" stays, since only the playlist is split at it;
// - a playlist item holding "[1*1]" or a line break is dropped: such a path
//   cannot be stored, any repaired path would name a file that is not there,
//   and the remaining items still play ('*' cannot occur in a Windows path);
//   a path holding "[2*2]" cannot be told from two items once joined, so
//   whatever builds the playlist must leave such a path out;
// - an empty snooze text becomes "0", as reading gives it;
// - a date that is invalid or beyond the years 1 to 9999 becomes day zero of
//   the file's date type, 30 December 1899.
// Applying it twice gives what applying it once gives.
AlarmRecord storableAlarm(const AlarmRecord &record);

// One line of the alarm file, without its line end. The record is made
// storable first, so parseAlarmLine gives back storableAlarm(record).
QString formatAlarmLine(const AlarmRecord &record, const QLocale &locale);

// Reads one line (without its line end). Empty when the line cannot be read:
// fewer than 14 fields, a date that does not convert, or a number that does not
// fit its field. Fields beyond the 14th are ignored.
std::optional<AlarmRecord> parseAlarmLine(QStringView line, const QLocale &locale, int presentYear);

// Whether the line holds more fields than a record has; reading drops them.
bool hasExtraFields(QStringView line);
