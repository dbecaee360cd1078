#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

Result saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Buffered, a write that the disk cuts short goes unnoticed and commit()
    // keeps the cut file (seen with Qt 6.4 on a full disk). Unbuffered, each
    // write says how much went out, and writing the rest brings out why.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result::failure(file.errorString());
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return Result::failure(reason);
        }
        written += more;
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
    const QString tooLarge =
        QStringLiteral("it is larger than %1").arg(QLocale::c().formattedDataSize(maxBytes));
    if (info.size() > maxBytes) {
        contents.error = tooLarge;
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
        contents.error = tooLarge;
        contents.bytes.clear();
    }
    return contents;
}
