#include "alarms/alarmfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

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
    QSaveFile file(path);
    // Buffered, a write that the disk cuts short goes unnoticed and commit()
    // keeps the cut file (seen with Qt 6.4 on a full disk). Unbuffered, each
    // write says how much went out, and writing the rest brings out why.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(path, file.errorString());
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return failure(path, reason);
        }
        written += more;
    }
    if (!file.commit())
        return failure(path, file.errorString());
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
