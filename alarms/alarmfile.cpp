#include "alarms/alarmfile.h"

#include "app/atomicfile.h"

#include <QDir>
#include <QFile>

namespace {

struct WholeFile {
    bool exists = false;
    QByteArray bytes;
    QString error;
};

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

WholeFile readWholeFile(const QString &path)
{
    WholeFile whole;
    QFile file(path);
    if (!file.exists())
        return whole;
    whole.exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        whole.error = file.errorString();
        return whole;
    }
    whole.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        whole.error = file.errorString();
    return whole;
}

std::optional<QString> writeWholeFile(const QString &path, const QByteArray &bytes)
{
    if (const std::optional<QString> reason = saveFileAtomically(path, bytes))
        return failure(path, *reason);
    return std::nullopt;
}

} // namespace

AlarmFileContents loadAlarmFile(const QString &path, const QLocale &locale, int presentYear)
{
    const WholeFile file = readWholeFile(path);
    if (!file.error.isEmpty()) {
        AlarmFileContents contents;
        contents.report.readError = file.error;
        return contents;
    }
    return readAlarmLines(file.bytes, locale, presentYear);
}

QString alarmBackupPath(const QString &path)
{
    return path + QStringLiteral(".bak");
}

std::optional<QString> saveAlarmFile(const QString &path, const QByteArray &bytes, bool keepBackup)
{
    if (keepBackup) {
        const WholeFile old = readWholeFile(path);
        if (!old.error.isEmpty())
            return failure(path, old.error);
        if (old.exists) {
            if (std::optional<QString> error = writeWholeFile(alarmBackupPath(path), old.bytes))
                return error;
        }
    }
    return writeWholeFile(path, bytes);
}

QString alarmLoadMessage(const AlarmFileReport &report)
{
    if (!report.readError.isEmpty()) {
        return QStringLiteral("The alarm file could not be read (%1), so no alarms were loaded.\n"
                              "It will be copied to als.bak before a save replaces it.")
            .arg(report.readError);
    }
    if (report.isClean())
        return {};
    QStringList sentences;
    if (report.skippedLines == 1) {
        sentences.append(
            QStringLiteral("1 line of the alarm file could not be read and was not loaded."));
    } else if (report.skippedLines > 1) {
        sentences.append(
            QStringLiteral("%1 lines of the alarm file could not be read and were not loaded.")
                .arg(report.skippedLines));
    }
    if (report.alteredLines == 1) {
        sentences.append(
            QStringLiteral("1 alarm was loaded from a line that could be read only in part."));
    } else if (report.alteredLines > 1) {
        sentences.append(
            QStringLiteral("%1 alarms were loaded from lines that could be read only in part.")
                .arg(report.alteredLines));
    }
    sentences.append(QStringLiteral("The file as it is now will be kept as als.bak when the "
                                    "alarms are next saved."));
    return sentences.join(u'\n');
}

QString alarmSaveMessage(const QString &error)
{
    return QStringLiteral("The alarms could not be saved.\n%1\nThe alarm file was left as it was.")
        .arg(error);
}
