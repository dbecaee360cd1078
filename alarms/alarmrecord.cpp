#include "alarms/alarmrecord.h"

#include "base/rounding.h"

#include <QStringConverter>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr int kFieldCount = 14;

// No locale's short date comes near this length; the cap keeps a damaged
// line from costing a full date parse.
constexpr qsizetype kLongestDateText = 100;

// Day zero of the date type the file has always held.
const QDate kDayZero(1899, 12, 30);

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Walks a text as if it held no blanks.
class BlankSkipper final {
public:
    explicit BlankSkipper(QStringView text) : m_text(text) {}

    char16_t peek()
    {
        while (m_at < m_text.size() && isBlank(m_text[m_at]))
            ++m_at;
        return m_at < m_text.size() ? m_text[m_at].unicode() : u'\0';
    }

    void next() { ++m_at; }

private:
    QStringView m_text;
    qsizetype m_at = 0;
};

template <typename Whole> std::optional<Whole> wholeNumber(QStringView text)
{
    const std::optional<double> number = leadingNumber(text);
    if (!number)
        return std::nullopt;
    const double whole = roundHalfEven(*number);
    if (whole < static_cast<double>(std::numeric_limits<Whole>::min()) ||
        whole > static_cast<double>(std::numeric_limits<Whole>::max()))
        return std::nullopt;
    return static_cast<Whole>(whole);
}

// Rewrites every run of one pattern letter outside quoted text.
template <typename Rewrite> QString rewriteFields(QStringView pattern, Rewrite rewrite)
{
    QString out;
    bool quoted = false;
    for (qsizetype at = 0; at < pattern.size();) {
        const QChar letter = pattern[at];
        if (letter == u'\'') {
            quoted = !quoted;
            out += letter;
            ++at;
            continue;
        }
        qsizetype end = at + 1;
        while (end < pattern.size() && pattern[end] == letter)
            ++end;
        const QStringView run = pattern.mid(at, end - at);
        out += quoted ? run.toString() : rewrite(letter, run);
        at = end;
    }
    return out;
}

QString withYearDigits(QStringView pattern, int digits)
{
    return rewriteFields(pattern, [digits](QChar letter, QStringView run) {
        return letter == u'y' ? QString(digits, u'y') : run.toString();
    });
}

// The same pattern taking a day or month of one or two digits.
QString relaxed(QStringView pattern)
{
    return rewriteFields(pattern, [](QChar letter, QStringView run) {
        if (run.size() == 2 && (letter == u'd' || letter == u'M'))
            return QString(letter);
        return run.toString();
    });
}

QString throughFileEncoding(const QString &text)
{
    QStringEncoder encode(QStringConverter::System);
    QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::ConvertInitialBom);
    return decode(encode(text));
}

bool hasLineBreak(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

QString storableText(const QString &text)
{
    QString out = throughFileEncoding(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    out.replace(u'\r', u' ');
    out.replace(u'\n', u' ');
    out.replace(kFieldSeparator.toString(), QStringLiteral("[1*1 ]"));
    return out;
}

QString storablePlaylist(const QString &playlist)
{
    const QString text = throughFileEncoding(playlist);
    const QStringView all(text);
    QString out;
    qsizetype from = 0;
    while (from < all.size()) {
        const qsizetype separator = all.indexOf(kPlaylistSeparator, from);
        const qsizetype itemEnd = separator < 0 ? all.size() : separator;
        const qsizetype next = separator < 0 ? all.size() : separator + kPlaylistSeparator.size();
        const QStringView item = all.mid(from, itemEnd - from);
        if (!item.contains(kFieldSeparator) && !hasLineBreak(item))
            out += all.mid(from, next - from);
        from = next;
    }
    return out;
}

} // namespace

QStringList alarmFrequencyNames()
{
    return {QStringLiteral("Fixed Date"), QStringLiteral("Hourly"),  QStringLiteral("Daily"),
            QStringLiteral("Weekly"),     QStringLiteral("Monthly"), QStringLiteral("Yearly")};
}

std::optional<double> leadingNumber(QStringView text)
{
    BlankSkipper in(text);
    std::string number;
    if (in.peek() == u'+' || in.peek() == u'-') {
        if (in.peek() == u'-')
            number += '-';
        in.next();
    }
    bool anyDigit = false;
    while (isDigit(in.peek())) {
        number += static_cast<char>(in.peek());
        anyDigit = true;
        in.next();
    }
    if (in.peek() == u'.') {
        number += '.';
        in.next();
        while (isDigit(in.peek())) {
            number += static_cast<char>(in.peek());
            anyDigit = true;
            in.next();
        }
    }
    if (!anyDigit)
        return 0.0;
    if (in.peek() == u'e' || in.peek() == u'E') {
        std::string exponent = "e";
        in.next();
        if (in.peek() == u'+' || in.peek() == u'-') {
            exponent += static_cast<char>(in.peek());
            in.next();
        }
        bool anyExponentDigit = false;
        while (isDigit(in.peek())) {
            exponent += static_cast<char>(in.peek());
            anyExponentDigit = true;
            in.next();
        }
        if (anyExponentDigit)
            number += exponent;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc())
        return std::nullopt;
    return value;
}

QString alarmDateText(QDate date, const QLocale &locale)
{
    const QString pattern = withYearDigits(locale.dateFormat(QLocale::ShortFormat), 4);
    const QString text = locale.toString(date, pattern);
    // A few locales write digits that Qt cannot read back; their dates go in
    // ISO 8601 form, which reading always accepts.
    if (locale.toDate(text, pattern) == date)
        return text;
    return date.toString(Qt::ISODate);
}

std::optional<QDate> readAlarmDate(QStringView text, const QLocale &locale, int presentYear)
{
    // Only the years a date is written with can be read: a year the writer
    // would not keep (such as -2026) would come back as another date.
    const auto writable = [](QDate date) {
        return date.isValid() && date.year() >= 1 && date.year() <= 9999;
    };
    const QString trimmed = text.trimmed().toString();
    if (trimmed.size() > kLongestDateText)
        return std::nullopt;
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    const QString fourDigits = withYearDigits(shortFormat, 4);
    const QString twoDigits = withYearDigits(shortFormat, 2);
    for (const QString &pattern : {fourDigits, relaxed(fourDigits)}) {
        const QDate date = locale.toDate(trimmed, pattern);
        if (writable(date))
            return date;
    }
    for (const QString &pattern : {twoDigits, relaxed(twoDigits)}) {
        const QDate date = locale.toDate(trimmed, pattern);
        if (date.isValid()) {
            const int lowest = presentYear - 80;
            const int year = lowest + ((date.year() % 100 - lowest % 100) % 100 + 100) % 100;
            const QDate windowed(year, date.month(), date.day());
            if (writable(windowed))
                return windowed;
        }
    }
    const QDate iso = QDate::fromString(trimmed, Qt::ISODate);
    if (writable(iso))
        return iso;
    return std::nullopt;
}

AlarmRecord storableAlarm(const AlarmRecord &record)
{
    AlarmRecord out = record;
    out.message = storableText(record.message);
    out.timeText = storableText(record.timeText);
    out.dayFlags = storableText(record.dayFlags);
    out.snoozeMinutes = storableText(record.snoozeMinutes);
    if (out.snoozeMinutes.isEmpty())
        out.snoozeMinutes = QStringLiteral("0");
    out.playlist = storablePlaylist(record.playlist);
    if (!record.alarmDate.isValid() || record.alarmDate.year() < 1 ||
        record.alarmDate.year() > 9999)
        out.alarmDate = kDayZero;
    return out;
}

QString formatAlarmLine(const AlarmRecord &record, const QLocale &locale)
{
    const AlarmRecord r = storableAlarm(record);
    const QStringList fields = {
        alarmDateText(r.alarmDate, locale),
        r.dayFlags,
        QString::number(r.fadeIn),
        QString::number(r.fadeOut),
        QString::number(r.fadeMinutes),
        QString::number(r.frequency),
        r.message,
        r.playlist,
        QString::number(r.sleepFlag),
        r.snoozeMinutes,
        r.timeText,
        QString::number(r.spare),
        QString::number(r.playMedia),
        QString::number(r.soundIndex),
    };
    return fields.join(kFieldSeparator);
}

std::optional<AlarmRecord> parseAlarmLine(QStringView line, const QLocale &locale, int presentYear)
{
    std::array<QStringView, kFieldCount> fields;
    qsizetype from = 0;
    for (int k = 0; k < kFieldCount; ++k) {
        const qsizetype separator = line.indexOf(kFieldSeparator, from);
        if (separator < 0) {
            if (k < kFieldCount - 1)
                return std::nullopt;
            fields[k] = line.mid(from);
            break;
        }
        fields[k] = line.mid(from, separator - from);
        from = separator + kFieldSeparator.size();
    }

    const std::optional<QDate> date = readAlarmDate(fields[0], locale, presentYear);
    const auto fadeIn = wholeNumber<qint16>(fields[2]);
    const auto fadeOut = wholeNumber<qint16>(fields[3]);
    const auto fadeMinutes = wholeNumber<qint32>(fields[4]);
    const auto frequency = wholeNumber<qint16>(fields[5]);
    const auto sleepFlag = wholeNumber<qint16>(fields[8]);
    const auto spare = wholeNumber<qint32>(fields[11]);
    const auto playMedia = wholeNumber<qint16>(fields[12]);
    const auto soundIndex = wholeNumber<qint16>(fields[13]);
    if (!date || !fadeIn || !fadeOut || !fadeMinutes || !frequency || !sleepFlag || !spare ||
        !playMedia || !soundIndex)
        return std::nullopt;

    AlarmRecord record;
    record.alarmDate = *date;
    record.dayFlags = fields[1].toString();
    record.fadeIn = *fadeIn;
    record.fadeOut = *fadeOut;
    record.fadeMinutes = *fadeMinutes;
    record.frequency = *frequency;
    record.message = fields[6].toString();
    record.playlist = fields[7].toString();
    record.sleepFlag = *sleepFlag;
    record.snoozeMinutes = fields[9].isEmpty() ? QStringLiteral("0") : fields[9].toString();
    record.timeText = fields[10].toString();
    record.spare = *spare;
    record.playMedia = *playMedia;
    record.soundIndex = *soundIndex;
    return record;
}

bool hasExtraFields(QStringView line)
{
    return line.count(kFieldSeparator) >= kFieldCount;
}
