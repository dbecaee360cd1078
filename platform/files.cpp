#include "platform/files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <tuple>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// The owner's, the group's and the others' bits; the "user" bits Qt adds say
// what this process may do, which is not the file's to keep.
constexpr QFileDevice::Permissions kPermissionBits =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString dataSize(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes);
}

bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString freeBackupPath(const QString &path, const QDateTime &now)
{
    QString candidate = backupPath(path, now, 1);
    for (int copy = 2; taken(candidate); ++copy)
        candidate = backupPath(path, now, copy);
    return candidate;
}

// Removes the oldest copies of the file at `path` until kMaxBackups are left,
// never `newest`. Only ordinary files named as backupPath names them count:
// anything else in the folder is the user's.
void removeOldestBackups(const QString &path, const QString &newest)
{
    const QFileInfo file(path);
    const QRegularExpression name(QStringLiteral("^%1-(\\d{8}-\\d{6})(?:-(\\d+))?\\.bak$")
                                      .arg(QRegularExpression::escape(file.fileName())));
    struct Backup {
        QString stamp;
        int copy;
        QString path;
    };
    QList<Backup> backups;
    const QDir folder = file.dir();
    for (const QString &entry : folder.entryList(QDir::Files | QDir::NoSymLinks | QDir::Hidden)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (match.hasMatch() && folder.filePath(entry) != newest)
            backups.append(
                {match.captured(1), qMax(1, match.captured(2).toInt()), folder.filePath(entry)});
    }
    std::sort(backups.begin(), backups.end(), [](const Backup &a, const Backup &b) {
        return std::tie(a.stamp, a.copy) < std::tie(b.stamp, b.copy);
    });
    // The newest makes one more.
    for (qsizetype oldest = 0; oldest < backups.size() + 1 - kMaxBackups; ++oldest)
        QFile::remove(backups.at(oldest).path);
}

} // namespace

Result saveFileAtomically(const QString &path, const QByteArray &bytes,
                          std::optional<QFileDevice::Permissions> permissions,
                          const std::function<Result()> &beforeReplacing)
{
    QSaveFile file(path);
    // Buffered, a write that the disk cuts short goes unnoticed and commit()
    // keeps the cut file (seen with Qt 6.4 on a full disk). Unbuffered, each
    // write says how much went out, and writing the rest brings out why.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result::failure(file.errorString());
    if (permissions && !file.setPermissions(*permissions)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Result::failure(reason);
    }
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return Result::failure(reason);
        }
        written += more;
    }
    if (beforeReplacing) {
#ifdef Q_OS_UNIX
        // On disk before the last look, so that commit() has nothing left to
        // wait for between that look and the rename.
        ::fsync(file.handle());
#endif
        if (const Result ready = beforeReplacing(); !ready.ok()) {
            file.cancelWriting();
            return ready;
        }
    }
    if (!file.commit())
        return Result::failure(file.errorString());
    return Result::success();
}

FileContents readRegularFile(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path);
    FileContents contents;
    if (!info.exists()) {
        // A link is there even when what it names is not.
        if (info.isSymLink()) {
            contents.exists = true;
            contents.error = QStringLiteral("it is a link to something that does not exist");
        }
        return contents;
    }
    contents.exists = true;
    if (info.isDir()) {
        contents.error = QStringLiteral("it is a folder, not a file");
        return contents;
    }
    if (!info.isFile()) {
        contents.error = QStringLiteral("it is not an ordinary file");
        return contents;
    }
    // Made only when needed: formatting a size loads the maths library's
    // power function and its tables into the clock for good.
    const auto tooLarge = [maxBytes] {
        return QStringLiteral("it is larger than %1").arg(dataSize(maxBytes));
    };
    if (info.size() > maxBytes) {
        contents.error = tooLarge();
        return contents;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = file.errorString();
        return contents;
    }
    // One byte more than allowed tells a file that grew since it was looked at.
    contents.bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        contents.error = file.errorString();
        contents.bytes.clear();
    } else if (contents.bytes.size() > maxBytes) {
        contents.error = tooLarge();
        contents.bytes.clear();
    }
    return contents;
}

QString backupPath(const QString &path, const QDateTime &now, int copy)
{
    const QString stamp = path + u'-' + now.toString(u"yyyyMMdd-HHmmss");
    return (copy > 1 ? stamp + u'-' + QString::number(copy) : stamp) + QStringLiteral(".bak");
}

KeptFile::KeptFile(const QString &path, qint64 maxBytes, std::function<void()> beforeReplacing)
    : m_path(path), m_maxBytes(maxBytes), m_beforeReplacing(std::move(beforeReplacing))
{}

KeptFile::Seen KeptFile::seen(const FileContents &contents)
{
    if (!contents.exists || !contents.error.isEmpty())
        return {contents.exists, 0, {}};
    return {true, contents.bytes.size(),
            QCryptographicHash::hash(contents.bytes, QCryptographicHash::Sha256)};
}

FileContents KeptFile::read()
{
    FileContents contents = readRegularFile(m_path, m_maxBytes);
    m_seen = seen(contents);
    return contents;
}

SaveReport KeptFile::save(const QByteArray &bytes, const QDateTime &now, bool keepCopy)
{
    SaveReport report;
    if (bytes.size() > m_maxBytes) {
        report.error = failure(m_path, QStringLiteral("it would take %1, more than the %2 it may "
                                                      "hold, and could not be read again")
                                           .arg(dataSize(bytes.size()), dataSize(m_maxBytes)));
        return report;
    }
    const FileContents current = readRegularFile(m_path, m_maxBytes);
    if (!current.error.isEmpty()) {
        report.error = failure(m_path, current.error);
        return report;
    }
    const Seen found = seen(current);
    report.changedByHand = found.exists && m_seen != found;
    if (found.exists && (report.changedByHand || keepCopy)) {
        if (const QString error = keep(current, now, report); !error.isEmpty()) {
            report.error = error;
            return report;
        }
        // The change is safe in the copy: a save that fails now need not copy it again.
        m_seen = found;
    }
    // A save of a large file takes long enough for a hand edit to land while
    // it writes: what is there just before the new file replaces it is kept too.
    const auto lookAgain = [&]() -> Result {
        if (m_beforeReplacing)
            m_beforeReplacing();
        const FileContents last = readRegularFile(m_path, m_maxBytes);
        if (!last.error.isEmpty()) {
            report.error = failure(m_path, last.error);
            return Result::failure(report.error);
        }
        const Seen lastSeen = seen(last);
        if (!lastSeen.exists || lastSeen == found)
            return Result::success();
        report.changedByHand = true;
        report.error = keep(last, now, report);
        if (!report.error.isEmpty())
            return Result::failure(report.error);
        m_seen = lastSeen;
        return Result::success();
    };
    if (const Result saved = saveFileAtomically(m_path, bytes, std::nullopt, lookAgain);
        !saved.ok()) {
        if (report.error.isEmpty())
            report.error = failure(m_path, saved.error());
        return report;
    }
    m_seen = seen({true, bytes, {}});
    return report;
}

QString KeptFile::keep(const FileContents &contents, const QDateTime &now, SaveReport &report)
{
    const QString backup = freeBackupPath(m_path, now);
    const QFileDevice::Permissions permissions = QFileInfo(m_path).permissions() & kPermissionBits;
    if (const Result kept = saveFileAtomically(backup, contents.bytes, permissions); !kept.ok())
        return failure(backup, kept.error());
    report.backup = backup;
    removeOldestBackups(m_path, backup);
    return {};
}

QString handEditMessage(const QString &path, const SaveReport &report, const QString &savedOver)
{
    return QStringLiteral("%1 was changed outside Tockaro after Tockaro last read or saved it.\n"
                          "The changed file is kept as %2, and %3 were saved over it.\n"
                          "At most %4 such copies of a file are kept: the oldest goes first.")
        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(report.backup), savedOver)
        .arg(kMaxBackups);
}
