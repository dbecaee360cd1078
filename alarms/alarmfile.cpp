#include "alarms/alarmfile.h"

#include <QDir>
#include <QStringEncoder>

qint64 alarmFileRoom(const AlarmSlots &alarms, int alarmCount, int slot, const QLocale &locale)
{
    const bool replaced = slot >= 1 && slot <= alarmCount;
    return kMaxAlarmFileBytes - alarmFileBytes(alarms, alarmCount, locale).size() +
           (replaced ? alarmLineBytes(alarms[slot], locale) : 0);
}

qint64 alarmLineBytes(const AlarmRecord &record, const QLocale &locale)
{
    // As alarmFileBytes writes it: the encoding keeps no state from line to line.
    QStringEncoder encode(QStringConverter::System);
    return QByteArray(encode(formatAlarmLine(record, locale) + QStringLiteral("\r\n"))).size();
}

QString alarmLoadMessage(const QString &path, const AlarmFileReport &report)
{
    const QString file = QDir::toNativeSeparators(path);
    if (!report.readError.isEmpty()) {
        return QStringLiteral("The alarm file %1 could not be read (%2), so no alarms were "
                              "loaded.\n"
                              "It is left as it is: alarms cannot be saved until it can be read.")
            .arg(file, report.readError);
    }
    if (report.isClean())
        return {};
    QStringList sentences{QStringLiteral("Alarm file: %1").arg(file)};
    if (report.skippedLines == 1) {
        sentences.append(
            QStringLiteral("1 line of the alarm file could not be read and was not loaded."));
    } else if (report.skippedLines > 1) {
        sentences.append(
            QStringLiteral("%1 lines of the alarm file could not be read and were not loaded.")
                .arg(report.skippedLines));
    }
    if (report.overflowAlarms == 1) {
        sentences.append(QStringLiteral("1 alarm beyond the %1th was not loaded: the list holds "
                                        "at most %1 alarms.")
                             .arg(kMaxAlarms));
    } else if (report.overflowAlarms > 1) {
        sentences.append(QStringLiteral("%1 alarms beyond the %2th were not loaded: the list "
                                        "holds at most %2 alarms.")
                             .arg(report.overflowAlarms)
                             .arg(kMaxAlarms));
    }
    if (report.alteredLines == 1) {
        sentences.append(
            QStringLiteral("1 alarm was loaded from a line that could be read only in part."));
    } else if (report.alteredLines > 1) {
        sentences.append(
            QStringLiteral("%1 alarms were loaded from lines that could be read only in part.")
                .arg(report.alteredLines));
    }
    sentences.append(QStringLiteral("The file as it is now will be kept beside it, under a "
                                    "name with the date and time (als-...bak), when the alarms "
                                    "are next saved."));
    return sentences.join(u'\n');
}

QString alarmSaveMessage(const QString &error)
{
    return QStringLiteral("The alarms could not be saved.\n%1\nThe alarm file was left as it was.")
        .arg(error);
}

QString alarmChangeNotSavedMessage(const QString &error)
{
    return alarmSaveMessage(error) +
           QStringLiteral("\nThe change stays in the alarm list, marked (not saved): Tockaro "
                          "tries again with the next change and when it ends.");
}

QString alarmChangesLostMessage(const QString &error, const QStringList &changes)
{
    return alarmSaveMessage(error) +
           QStringLiteral("\nThese changes are lost as Tockaro ends: %1.").arg(changes.join(u", "));
}
