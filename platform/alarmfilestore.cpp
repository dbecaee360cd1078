#include "platform/alarmfilestore.h"

#include "alarms/alarmfile.h"
#include "platform/files.h"

#include <QDir>
#include <QFileInfo>

namespace {

Result failure(const QString &path, const QString &reason)
{
    return Result::failure(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
}

bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Every backup is kept: each one holds what a hand-edited file had and the
// table could not take (lines beyond the 300th, lines that did not read), and
// a later edit of the file may hold other such lines. Keeping only the first
// would lose those. A backup is made at most once per load that was not clean.
QString freeBackupPath(const QString &path, const QDateTime &now)
{
    const QString first = alarmBackupPath(path, now, 1);
    QString candidate = first;
    for (int copy = 2; taken(candidate); ++copy)
        candidate = alarmBackupPath(path, now, copy);
    return candidate;
}

} // namespace

AlarmFileContents loadAlarmFile(const QString &path, const QLocale &locale, int presentYear)
{
    const FileContents file = readRegularFile(path, kMaxAlarmFileBytes);
    if (!file.error.isEmpty()) {
        AlarmFileContents contents;
        contents.report.readError = file.error;
        return contents;
    }
    return readAlarmLines(file.bytes, locale, presentYear);
}

Result saveAlarmFile(const QString &path, const QByteArray &bytes, bool keepBackup,
                     const QDateTime &now)
{
    if (keepBackup) {
        const FileContents old = readRegularFile(path, kMaxAlarmFileBytes);
        if (!old.error.isEmpty())
            return failure(path, old.error);
        if (old.exists) {
            const QString backup = freeBackupPath(path, now);
            if (const Result saved = saveFileAtomically(backup, old.bytes); !saved.ok())
                return failure(backup, saved.error());
        }
    }
    if (const Result saved = saveFileAtomically(path, bytes); !saved.ok())
        return failure(path, saved.error());
    return Result::success();
}
